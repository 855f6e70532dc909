#include "core/language_data.h"
#include "core/message_catalog.h"
#include "platform/profile_file.h"
#include "tests/fixtures/scoped_env.h"
#include "tests/fixtures/scripted_dialog_service.h"
#include "tests/fixtures/temp_folder.h"
#include "view/document_view.h"
#include "view/kaleidra_doc.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <algorithm>
#include <gtest/gtest.h>
#include <optional>

namespace {

// A document whose folders all lie in a temporary folder: common application data, home,
// documents and program folder, and a work folder "work".
class KaleidraDocTest : public ::testing::Test {
protected:
    KaleidraDocTest()
        : m_appData("KALEIDRA_COMMON_APPDATA", m_temp.FilePath("appdata").toUtf8())
        , m_home("HOME", m_temp.MakeFolder("home").toUtf8())
        , m_documents("KALEIDRA_DOCUMENTS_DIR", m_temp.MakeFolder("home/Documents").toUtf8())
        , m_program("KALEIDRA_PROGRAM_DIR", m_temp.MakeFolder("program").toUtf8())
    {
        m_temp.MakeFolder("work");
    }

    QString SettingsPath() const { return m_temp.FilePath("appdata/Oxtrel/Kaleidra/SETTING/Kaleidra.ini"); }
    QString WorkFolder() const { return m_temp.FilePath("work"); }

    // The settings file as installed: UTF-16 with BOM.
    void WriteSettings(const QString& text) const
    {
        m_temp.WriteFile("appdata/Oxtrel/Kaleidra/SETTING/Kaleidra.ini", Utf16LeWithBom(text));
    }
    void WriteSettingsWithWorkFolder(const QString& more = QString()) const
    {
        WriteSettings(QStringLiteral("[SYSTEM]\r\nWorkFolder=%1\r\n").arg(WorkFolder()) + more);
    }
    QByteArray SettingsBytes() const
    {
        QFile file(SettingsPath());
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }
    QString Message(int id) { return m_messages.GetMessage(id); }
    QString Setting(const char* section, const QString& key) const
    {
        return platform::CProfileFile(SettingsPath())
            .String(QString::fromLatin1(section), key, QStringLiteral("<missing>"));
    }

    CTempFolder m_temp;
    CScopedEnv m_appData;
    CScopedEnv m_home;
    CScopedEnv m_documents;
    CScopedEnv m_program;
    CMessageCatalog m_messages;
    CKaleidraDoc m_doc { &m_messages };
};

} // namespace

TEST_F(KaleidraDocTest, ReadRefusesMissingFilesAndUnsafeWorkFolders)
{
    m_temp.WriteFile("plain.txt", "x");
    m_temp.MakeFolder("home/shows/work");
    m_temp.MakeFolder("home/Documents/Kaleidra");
    ASSERT_TRUE(QFile::link(m_temp.FilePath("home"), m_temp.FilePath("home-link")));
    // Folders of exactly the field's length and one unit longer.
    const auto folderOfLength = [&](int length) {
        const QString base = m_temp.FilePath("long/");
        const int rest = length - int(base.size());
        return m_temp.MakeFolder(
            "long/" + QString(rest - 101, QLatin1Char('w')) + "/" + QString(100, QLatin1Char('v')));
    };
    const QString fittingFolder = folderOfLength(260);
    const QString longFolder = folderOfLength(261);
    ASSERT_EQ(fittingFolder.size(), 260);
    ASSERT_EQ(longFolder.size(), 261);
    m_temp.MakeFolder("home/.config");
    m_temp.MakeFolder("home/.ssh");
    m_temp.MakeFolder("home/.local/share");
    m_temp.MakeFolder("xdg/config");
    m_temp.MakeFolder("registry");
    m_temp.MakeFolder("later");
    CScopedEnv configHome("XDG_CONFIG_HOME", m_temp.FilePath("xdg/config").toUtf8());
    CScopedEnv registry("KALEIDRA_REGISTRY_HKCU", m_temp.FilePath("registry/hkcu.ini").toUtf8());

    struct Case {
        const char* name;
        std::optional<QString> settings; // nothing: no settings file
        int messageId;
        QString reported; // the path in the error text
    };
    const QString path = SettingsPath();
    auto withWork
        = [](const QString& folder) { return QStringLiteral("[SYSTEM]\r\nWorkFolder=%1\r\n").arg(folder); };
    const Case cases[] = {
        { "no settings file", std::nullopt, 92, path },
        { "no SYSTEM section", QStringLiteral("[VIEWER]\r\nResoMode=1\r\n"), 90, path },
        { "empty work folder", withWork(QString()), 90, path },
        { "work folder missing", withWork(m_temp.FilePath("gone")), 91, m_temp.FilePath("gone") },
        { "work folder is a file", withWork(m_temp.FilePath("plain.txt")), 91, m_temp.FilePath("plain.txt") },
        { "file-system root", withWork("/"), 91, "/" },
        { "home folder", withWork(m_temp.FilePath("home")), 91, m_temp.FilePath("home") },
        { "home folder through a link", withWork(m_temp.FilePath("home-link")), 91,
            m_temp.FilePath("home-link") },
        { "folder holding the home folder", withWork(m_temp.Path()), 91, m_temp.Path() },
        { "documents folder", withWork(m_temp.FilePath("home/Documents")), 91,
            m_temp.FilePath("home/Documents") },
        { "program folder", withWork(m_temp.FilePath("program") + "/"), 91,
            m_temp.FilePath("program") + "/" },
        { "product folder in the documents", withWork(m_temp.FilePath("home/Documents/Kaleidra")), 91,
            m_temp.FilePath("home/Documents/Kaleidra") },
        { "folder holding the settings file", withWork(m_temp.FilePath("appdata")), 91,
            m_temp.FilePath("appdata") },
        { "longer than its field", withWork(longFolder), 91, longFolder },
        { "home's configuration folder", withWork(m_temp.FilePath("home/.config")), 91,
            m_temp.FilePath("home/.config") },
        { "home's keys", withWork(m_temp.FilePath("home/.ssh")), 91, m_temp.FilePath("home/.ssh") },
        { "inside a hidden folder of the home", withWork(m_temp.FilePath("home/.local/share")), 91,
            m_temp.FilePath("home/.local/share") },
        { "folder holding the configuration root", withWork(m_temp.FilePath("xdg")), 91,
            m_temp.FilePath("xdg") },
        { "folder holding the registry store", withWork(m_temp.FilePath("registry")), 91,
            m_temp.FilePath("registry") },
        { "/etc", withWork("/etc"), 91, "/etc" },
        { "/usr", withWork("/usr"), 91, "/usr" },
        { "inside /usr", withWork("/usr/share"), 91, "/usr/share" },
        { "/var", withWork("/var"), 91, "/var" },
        { "/tmp itself", withWork("/tmp"), 91, "/tmp" },
        { "relative to the start folder", withWork("."), 91, "." },
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        QFile::remove(path);
        if (c.settings)
            WriteSettings(*c.settings);
        CKaleidraDoc doc(&m_messages);
        QString error;
        EXPECT_FALSE(doc.ReadIniSettings(error));
        EXPECT_EQ(error, Message(c.messageId) + "(" + c.reported + ")");
        EXPECT_TRUE(doc.GetWorkFolder().isEmpty());
    }

    {
        // A documents folder that is not made yet is protected all the same.
        CScopedEnv laterDocuments("KALEIDRA_DOCUMENTS_DIR", m_temp.FilePath("later/Documents").toUtf8());
        WriteSettings(withWork(m_temp.FilePath("later")));
        CKaleidraDoc doc(&m_messages);
        QString error;
        EXPECT_FALSE(doc.ReadIniSettings(error));
        EXPECT_EQ(error, Message(91) + "(" + m_temp.FilePath("later") + ")");
    }

    // A folder inside the home folder is fine, and so is one of the field's full length.
    for (const QString& fine : { m_temp.FilePath("home/shows/work"), fittingFolder }) {
        SCOPED_TRACE(fine.toStdString());
        WriteSettings(withWork(fine));
        QString error;
        CKaleidraDoc doc(&m_messages);
        EXPECT_TRUE(doc.ReadIniSettings(error)) << error.toStdString();
        EXPECT_EQ(doc.GetWorkFolder(), fine);
    }
}

TEST_F(KaleidraDocTest, ReadTakesValuesChecksAndFallbacks)
{
    WriteSettingsWithWorkFolder(
        QStringLiteral("FrameColor01=1,2,3\r\n"
                       "FrameColor03=10,20\r\n"
                       "FrameColor04=\r\n"
                       "FrameColor05=7\r\n"
                       "CameraImgSize01=1280,720\r\n"
                       "CameraImgSize02=800x600\r\n"
                       "CameraImgSize03=640,480\r\n"
                       "CameraImgSize04=\r\n"
                       "CameraImgSize05=320,240\r\n"
                       "ImageDefaultTime=500abc\r\n"
                       "EffectDefaultTime=-30\r\n"
                       "GuideDefaultStatus=1\r\n"
                       "[REMOTE]\r\nSrvIPAdd= 192.168.0.10 \r\n"
                       "[VIEWER]\r\nViewerMode=2\r\nResoMode=7\r\n"
                       "[AUTO_PLAY]\r\nAutoPlayMode=1\r\n"
                       "[CAMERA]\r\nCameraCount=3\r\nCameraId01=2\r\n"
                       "CameraName01=正面カメラ\r\nCameraImgSizeX01=1280\r\nCameraImgSizeY01=720\r\n"
                       "CameraName03=\r\n"));
    QString error;
    ASSERT_TRUE(m_doc.ReadIniSettings(error)) << error.toStdString();

    EXPECT_EQ(m_doc.GetWorkFolder(), WorkFolder());
    struct Color {
        int n;
        int r, g, b;
    };
    for (const Color& c : { Color { 1, 1, 2, 3 }, Color { 2, 255, 255, 255 }, Color { 3, 10, 20, 255 },
             Color { 4, 255, 255, 255 }, Color { 5, 7, 255, 255 } }) {
        SCOPED_TRACE(c.n);
        EXPECT_EQ(m_doc.FrameColorR[size_t(c.n - 1)], c.r);
        EXPECT_EQ(m_doc.FrameColorG[size_t(c.n - 1)], c.g);
        EXPECT_EQ(m_doc.FrameColorB[size_t(c.n - 1)], c.b);
    }
    // A size without a comma is skipped; the empty fourth ends the list.
    EXPECT_EQ(m_doc.CameraImageWidths, (std::vector<int32_t> { 1280, 640 }));
    EXPECT_EQ(m_doc.CameraImageHeights, (std::vector<int32_t> { 720, 480 }));
    EXPECT_EQ(m_doc.ImageDefaultTime, 500);
    EXPECT_EQ(m_doc.EffectDefaultTime, -30);
    EXPECT_EQ(m_doc.ProjectDefaultTime, 18000);
    EXPECT_EQ(m_doc.GuideDefaultStatus, 1);
    EXPECT_EQ(m_doc.SrvIPAdd, QStringLiteral("192.168.0.10"));
    EXPECT_EQ(m_doc.ViewerMode, 0);
    EXPECT_EQ(m_doc.ResoMode, 0);
    EXPECT_EQ(m_doc.ProjectorDisplayNo, 2);
    EXPECT_EQ(m_doc.AutoPlayMode, 1);
    EXPECT_EQ(m_doc.CameraCount, 3);
    const std::vector<tagCAMERA_SETTING_DATA> cameras = {
        { 2, QStringLiteral("正面カメラ"), 1280, 720 },
        { 0, QStringLiteral("カメラ2"), 0, 0 },
        { 0, QStringLiteral("カメラ3"), 0, 0 },
    };
    EXPECT_EQ(m_doc.CameraList, cameras);
}

// A work folder written "~/..." is a folder in the home of the user who runs the editor, made at
// the start when it is missing, so that one settings file serves every user; it is refused where
// any other work folder would be.
TEST_F(KaleidraDocTest, AWorkFolderInTheHomeIsTheUsersOwnAndMadeWhenMissing)
{
    m_temp.MakeFolder("home/shows/work");
    m_temp.MakeFolder("home/.ssh");
    struct Case {
        const char* value;
        QString folder; // empty: refused with message 91
        const char* notMade; // a folder that must not appear, or null
    };
    const Case cases[] = {
        { "~/KaleidraWork", m_temp.FilePath("home/KaleidraWork"), nullptr },
        { "~/shows/new/work", m_temp.FilePath("home/shows/new/work"), nullptr },
        { "~/shows/work", m_temp.FilePath("home/shows/work"), nullptr },
        { "~/shows/../KaleidraWork/", m_temp.FilePath("home/KaleidraWork"), nullptr },
        { "~", QString(), nullptr },
        { "~/", QString(), nullptr },
        { "~/.ssh/work", QString(), "home/.ssh/work" },
        { "~/Documents", QString(), nullptr },
        { "~/../outside", QString(), "outside" },
        { "~someone/work", QString(), nullptr },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.value);
        WriteSettings(QStringLiteral("[SYSTEM]\r\nWorkFolder=%1\r\n").arg(QString::fromUtf8(c.value)));
        CKaleidraDoc doc(&m_messages);
        QString error;
        if (c.folder.isEmpty()) {
            EXPECT_FALSE(doc.ReadIniSettings(error));
            EXPECT_EQ(error, Message(91) + "(" + QString::fromUtf8(c.value) + ")");
        } else {
            EXPECT_TRUE(doc.ReadIniSettings(error)) << error.toStdString();
            EXPECT_EQ(doc.GetWorkFolder(), c.folder);
            EXPECT_TRUE(QFileInfo(c.folder).isDir());
        }
        if (c.notMade) {
            EXPECT_FALSE(QFileInfo::exists(m_temp.FilePath(QString::fromUtf8(c.notMade))));
        }
    }
}

// The settings file the programs deliver reads as the editor's defaults, with a work folder of the
// user's own in their home.
TEST_F(KaleidraDocTest, TheDeliveredSettingsFileHoldsTheDefaults)
{
    WriteSettingsWithWorkFolder();
    CKaleidraDoc defaults(&m_messages);
    QString error;
    ASSERT_TRUE(defaults.ReadIniSettings(error)) << error.toStdString();

    QFile::remove(SettingsPath());
    ASSERT_TRUE(QFile::copy(QStringLiteral(KALEIDRA_BIN_DIR "/Kaleidra.ini"), SettingsPath()));
    CKaleidraDoc delivered(&m_messages);
    ASSERT_TRUE(delivered.ReadIniSettings(error)) << error.toStdString();
    EXPECT_EQ(delivered.GetWorkFolder(), m_temp.FilePath("home/KaleidraWork"));
    EXPECT_TRUE(QFileInfo(m_temp.FilePath("home/KaleidraWork")).isDir());
    EXPECT_EQ(delivered.ImageDefaultTime, defaults.ImageDefaultTime);
    EXPECT_EQ(delivered.EffectDefaultTime, defaults.EffectDefaultTime);
    EXPECT_EQ(delivered.ProjectDefaultTime, defaults.ProjectDefaultTime);
    EXPECT_EQ(delivered.GuideDefaultStatus, defaults.GuideDefaultStatus);
    EXPECT_EQ(delivered.SrvIPAdd, defaults.SrvIPAdd);
    EXPECT_EQ(delivered.ViewerMode, defaults.ViewerMode);
    EXPECT_EQ(delivered.ResoMode, defaults.ResoMode);
    EXPECT_EQ(delivered.ProjectorDisplayNo, defaults.ProjectorDisplayNo);
    EXPECT_EQ(delivered.AutoPlayMode, defaults.AutoPlayMode);
    EXPECT_EQ(delivered.CameraCount, defaults.CameraCount);
    EXPECT_EQ(delivered.CameraList.size(), defaults.CameraList.size());
    EXPECT_EQ(delivered.CameraImageWidths, defaults.CameraImageWidths);
    EXPECT_EQ(delivered.FrameColorR, defaults.FrameColorR);
    EXPECT_EQ(delivered.FrameColorG, defaults.FrameColorG);
    EXPECT_EQ(delivered.FrameColorB, defaults.FrameColorB);
    // Every key is there, not left to the reader's defaults.
    for (const char* key : { "ImageDefaultTime", "EffectDefaultTime", "ProjectDefaultTime",
             "GuideDefaultStatus", "FrameColor10" })
        EXPECT_NE(Setting("SYSTEM", QString::fromLatin1(key)), QStringLiteral("<missing>")) << key;
    EXPECT_NE(Setting("VIEWER", QStringLiteral("ProjectorDisplayNo")), QStringLiteral("<missing>"));
    EXPECT_NE(Setting("CAMERA", QStringLiteral("CameraCount")), QStringLiteral("<missing>"));
}

TEST_F(KaleidraDocTest, ReadDefaultsCountsAndLanguageName)
{
    struct Case {
        const char* name;
        QString more;
        int32_t resoMode;
        int32_t cameraCount;
        int32_t cameras;
    };
    const Case cases[] = {
        { "nothing but the work folder", QString(), 1, 0, 0 },
        { "resolution mode 4 kept, auto-play mode 2 refused",
            "[VIEWER]\r\nResoMode=4\r\n[AUTO_PLAY]\r\nAutoPlayMode=2\r\n", 4, 0, 0 },
        { "negative camera count", "[CAMERA]\r\nCameraCount=-3\r\n", 1, -3, 0 },
        { "huge camera count capped", "[CAMERA]\r\nCameraCount=5000000000\r\n", 1, 99, 99 },
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        WriteSettingsWithWorkFolder(c.more);
        CKaleidraDoc doc(&m_messages);
        QString error;
        ASSERT_TRUE(doc.ReadIniSettings(error)) << error.toStdString();
        EXPECT_EQ(doc.ResoMode, c.resoMode);
        EXPECT_EQ(doc.ProjectorDisplayNo, 2);
        EXPECT_EQ(doc.AutoPlayMode, 0);
        EXPECT_EQ(doc.ProjectDefaultTime, 18000);
        EXPECT_TRUE(doc.SrvIPAdd.isEmpty());
        EXPECT_EQ(doc.CameraCount, c.cameraCount);
        EXPECT_EQ(int(doc.CameraList.size()), c.cameras);
        EXPECT_TRUE(doc.CameraImageWidths.empty());
        EXPECT_EQ(doc.FrameColorB[9], 255);
    }

    // The default camera name comes from the language table.
    const QString programFolder = m_temp.FilePath("program");
    m_temp.WriteFile("program/Language.dat", Utf16LeWithBom("[DEFAULT_NAME]\r\nCAMERA_NAME=Cam\r\n"));
    CLanguageData language;
    language.LoadFromFolder(programFolder);
    WriteSettingsWithWorkFolder("[CAMERA]\r\nCameraCount=2\r\nCameraName01=Front\r\n");
    CKaleidraDoc doc(&m_messages, &language);
    QString error;
    ASSERT_TRUE(doc.ReadIniSettings(error));
    ASSERT_EQ(doc.CameraList.size(), 2u);
    EXPECT_EQ(doc.CameraList[0].CameraName, QStringLiteral("Front"));
    EXPECT_EQ(doc.CameraList[1].CameraName, QStringLiteral("Cam2"));
}

TEST_F(KaleidraDocTest, WriteSettingsReplacesTheSixValuesAndKeepsTheRest)
{
    WriteSettingsWithWorkFolder("; installed defaults\r\nImageDefaultTime=0\r\n[VIEWER]\r\nResoMode=1\r\n");
    m_doc.ImageDefaultTime = 700;
    m_doc.EffectDefaultTime = 50;
    m_doc.SrvIPAdd = QStringLiteral("10.0.0.2");
    m_doc.ViewerMode = 1;
    m_doc.ResoMode = 3;
    m_doc.ProjectorDisplayNo = 1;
    QString error;
    ASSERT_TRUE(m_doc.WriteIniSettings(error)) << error.toStdString();

    EXPECT_EQ(Setting("SYSTEM", "ImageDefaultTime"), "700");
    EXPECT_EQ(Setting("SYSTEM", "EffectDefaultTime"), "50");
    EXPECT_EQ(Setting("REMOTE", "SrvIPAdd"), "10.0.0.2");
    EXPECT_EQ(Setting("VIEWER", "ViewerMode"), "1");
    EXPECT_EQ(Setting("VIEWER", "ResoMode"), "3");
    EXPECT_EQ(Setting("VIEWER", "ProjectorDisplayNo"), "1");
    EXPECT_EQ(Setting("SYSTEM", "WorkFolder"), WorkFolder());
    const platform::CProfileFile written(SettingsPath());
    EXPECT_TRUE(written.ToText().contains("; installed defaults"));
    EXPECT_EQ(SettingsBytes().left(2), QByteArray("\xFF\xFE")) << "still UTF-16 with BOM";

    CKaleidraDoc reread(&m_messages);
    ASSERT_TRUE(reread.ReadIniSettings(error));
    EXPECT_EQ(reread.ImageDefaultTime, 700);
    EXPECT_EQ(reread.ResoMode, 3);
}

TEST_F(KaleidraDocTest, FailedWritesLeaveTheFileAsItWas)
{
    struct Case {
        const char* name;
        bool readOnly;
        QString address;
        int messageId;
    };
    const Case cases[] = {
        { "read-only file", true, "10.0.0.2", 93 },
        { "address that no ini line can hold", false, "10.0.0.2\nResoMode=0", 95 },
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        WriteSettingsWithWorkFolder("ImageDefaultTime=5\r\n");
        if (c.readOnly) {
            ASSERT_TRUE(
                QFile::setPermissions(SettingsPath(), QFileDevice::ReadOwner | QFileDevice::ReadGroup));
        }
        const QByteArray before = SettingsBytes();
        ASSERT_FALSE(before.isEmpty());
        m_doc.ImageDefaultTime = 900;
        m_doc.SrvIPAdd = c.address;
        QString error;
        EXPECT_FALSE(m_doc.WriteIniSettings(error));
        EXPECT_EQ(error, Message(c.messageId) + "(" + SettingsPath() + ")");
        EXPECT_EQ(SettingsBytes(), before);
        QFile::setPermissions(SettingsPath(), QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    }

    QFile::remove(SettingsPath());
    QString error;
    EXPECT_FALSE(m_doc.WriteIniSettings(error));
    EXPECT_EQ(error, Message(92) + "(" + SettingsPath() + ")");
    EXPECT_FALSE(m_doc.WriteCameraSettings(error, {}));
    EXPECT_EQ(error, Message(92) + "(" + SettingsPath() + ")");
    EXPECT_FALSE(QFile::exists(SettingsPath())) << "the settings file is never created";
}

TEST_F(KaleidraDocTest, OneCameraWrittenOverThreeClearsTheOtherGroups)
{
    WriteSettingsWithWorkFolder(
        "[CAMERA]\r\nCameraCount=3\r\n"
        "CameraId01=0\r\nCameraName01=A\r\nCameraImgSizeX01=640\r\nCameraImgSizeY01=480\r\n"
        "CameraId02=1\r\nCameraName02=B\r\nCameraImgSizeX02=800\r\nCameraImgSizeY02=600\r\n"
        "CameraId03=2\r\nCameraName03=C\r\nCameraImgSizeX03=1280\r\nCameraImgSizeY03=720\r\n");
    QString error;
    ASSERT_TRUE(m_doc.ReadIniSettings(error));
    ASSERT_EQ(m_doc.CameraList.size(), 3u);

    const std::vector<tagCAMERA_SETTING_DATA> one = { { 4, QStringLiteral("ステージ"), 1920, 1080 } };
    ASSERT_TRUE(m_doc.WriteCameraSettings(error, one)) << error.toStdString();
    EXPECT_EQ(m_doc.CameraList, one);
    EXPECT_EQ(m_doc.CameraCount, 1);

    struct Group {
        int n;
        QString id, name, x, y;
    };
    for (const Group& g : { Group { 1, "4", "ステージ", "1920", "1080" }, Group { 2, "0", "", "0", "0" },
             Group { 3, "0", "", "0", "0" } }) {
        SCOPED_TRACE(g.n);
        const QString n = QStringLiteral("%1").arg(g.n, 2, 10, QLatin1Char('0'));
        EXPECT_EQ(Setting("CAMERA", "CameraId" + n), g.id);
        EXPECT_EQ(Setting("CAMERA", "CameraName" + n), g.name);
        EXPECT_EQ(Setting("CAMERA", "CameraImgSizeX" + n), g.x);
        EXPECT_EQ(Setting("CAMERA", "CameraImgSizeY" + n), g.y);
    }
    EXPECT_EQ(Setting("CAMERA", "CameraCount"), "1");

    CKaleidraDoc reread(&m_messages);
    ASSERT_TRUE(reread.ReadIniSettings(error));
    EXPECT_EQ(reread.CameraList, one);
}

TEST_F(KaleidraDocTest, FailedCameraWritesKeepTheFileAndTheList)
{
    struct Case {
        const char* name;
        bool readOnly;
        std::vector<tagCAMERA_SETTING_DATA> cameras;
        int messageId;
    };
    const Case cases[] = {
        { "read-only file", true, { { 1, "X", 1, 1 } }, 98 },
        { "read-only file, nothing but the count", true, {}, 102 },
        { "name with a line break", false, { { 1, "X", 1, 1 }, { 2, "Y\r\nCameraCount=9", 1, 1 } }, 99 },
        { "more groups than two digits can number", false,
            std::vector<tagCAMERA_SETTING_DATA>(100, tagCAMERA_SETTING_DATA {}), 102 },
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        WriteSettingsWithWorkFolder("[CAMERA]\r\nCameraCount=0\r\n");
        if (c.readOnly) {
            ASSERT_TRUE(QFile::setPermissions(SettingsPath(), QFileDevice::ReadOwner));
        }
        const QByteArray before = SettingsBytes();
        ASSERT_FALSE(before.isEmpty());
        QString error;
        EXPECT_FALSE(m_doc.WriteCameraSettings(error, c.cameras));
        EXPECT_EQ(error, Message(c.messageId) + "(" + SettingsPath() + ")");
        EXPECT_EQ(SettingsBytes(), before);
        EXPECT_TRUE(m_doc.CameraList.empty());
        QFile::setPermissions(SettingsPath(), QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    }
}

TEST_F(KaleidraDocTest, WriteIniIntFormatsDecimalAndRefusesReadOnlyFiles)
{
    WriteSettingsWithWorkFolder();
    EXPECT_TRUE(CKaleidraDoc::WriteIniInt(SettingsPath(), "VIEWER", "ResoMode", -42));
    EXPECT_EQ(Setting("VIEWER", "ResoMode"), "-42");
    ASSERT_TRUE(QFile::setPermissions(SettingsPath(), QFileDevice::ReadOwner));
    EXPECT_FALSE(CKaleidraDoc::WriteIniInt(SettingsPath(), "VIEWER", "ResoMode", 3));
    EXPECT_EQ(Setting("VIEWER", "ResoMode"), "-42");
}

TEST_F(KaleidraDocTest, FoldersAndPaths)
{
    EXPECT_EQ(CKaleidraDoc::GetCommonAppDataFolder(), m_temp.FilePath("appdata"));
    EXPECT_EQ(CKaleidraDoc::GetSettingsFile(), SettingsPath());
    EXPECT_EQ(CKaleidraDoc::GetDocumentsFolder(), m_temp.FilePath("home/Documents/Kaleidra"));
    EXPECT_EQ(CKaleidraDoc::GetProgramFolder(), m_temp.FilePath("program") + "/");
    EXPECT_EQ(m_doc.GetSkinFolder(), m_temp.FilePath("program/Skin/"));

    struct Case {
        QString path;
        QString folder;
    };
    for (const Case& c : { Case { "/shows/2026/spring.kdp", "/shows/2026" },
             Case { "spring.kdp", "spring.kdp" }, Case { "", "" } }) {
        SCOPED_TRACE(c.path.toStdString());
        m_doc.SetProjectFilePath(c.path);
        EXPECT_EQ(m_doc.GetPathFolder(), c.folder);
    }

    EXPECT_TRUE(m_doc.GetOpenedPath().isEmpty());
    EXPECT_TRUE(m_doc.OnNewDocument());
    EXPECT_TRUE(m_doc.OnOpenDocument("/shows/given.kdp"));
    EXPECT_EQ(m_doc.GetOpenedPath(), "/shows/given.kdp");
}

namespace {

// Records what the closing question asks of the view.
class CRecordingView final : public DocumentView {
public:
    explicit CRecordingView(bool setUp)
        : m_setUp(setUp)
    {
    }
    void SetClosing(bool closing) override { calls.push_back(closing ? "closing" : "not closing"); }
    void CloseViewer() override { calls.push_back("close viewer"); }
    bool HasCompletedFirstUpdate() const override { return m_setUp; }
    void SaveWindowPositions() override { calls.push_back("save positions"); }
    void SaveHistory() override { calls.push_back("save history"); }
    void CloseModalWindows() override { calls.push_back("close dialogs"); }

    std::vector<std::string> calls;

private:
    bool m_setUp;
};

} // namespace

TEST_F(KaleidraDocTest, ClosingQuestion)
{
    struct Case {
        const char* name;
        int32_t modified;
        int answer;
        bool setUp;
        int messageId;
        bool closes;
        std::vector<std::string> calls;
    };
    const Case cases[] = {
        { "unsaved changes, yes", 1, platform::IDYES, true, 88, true,
            { "closing", "close dialogs", "close viewer", "save positions", "save history", "not closing" } },
        { "no changes, yes", 0, platform::IDYES, true, 89, true,
            { "closing", "close dialogs", "close viewer", "save positions", "save history", "not closing" } },
        { "no, the viewer is left alone", 1, platform::IDNO, true, 88, false, { "closing", "not closing" } },
        { "yes before the view was set up", 0, platform::IDYES, false, 89, true,
            { "closing", "close dialogs", "close viewer", "not closing" } },
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        CScriptedDialogService dialogs;
        dialogs.AnswerMessageBox(c.answer);
        CRecordingView view(c.setUp);
        m_doc.SetView(&view);
        m_doc.Modified = c.modified;
        EXPECT_EQ(m_doc.SaveModified(), c.closes);
        ASSERT_EQ(dialogs.Requests().size(), 1u);
        EXPECT_EQ(dialogs.Requests()[0].text, Message(c.messageId));
        EXPECT_EQ(dialogs.Requests()[0].caption, "Kaleidra Pro");
        EXPECT_EQ(dialogs.Requests()[0].type & platform::MB_TYPEMASK, unsigned(platform::MB_YESNO));
        EXPECT_EQ(view.calls, c.calls);
        m_doc.SetView(nullptr);
    }
}

TEST_F(KaleidraDocTest, ViewerChannelIsMappedThroughTheDocument)
{
    EXPECT_EQ(m_doc.GetViewerBlock(), nullptr);
    const QString name = QStringLiteral("KALEIDRA_DOC_TEST_%1").arg(QCoreApplication::applicationPid());
    void* block = m_doc.MapViewerChannel(4096, name);
    ASSERT_NE(block, nullptr);
    EXPECT_EQ(m_doc.GetViewerBlock(), block);
    const auto* bytes = static_cast<const unsigned char*>(block);
    EXPECT_TRUE(std::all_of(bytes, bytes + 4096, [](unsigned char b) { return b == 0; }));
}
