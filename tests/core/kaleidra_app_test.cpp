#include "core/context_menu_manager.h"
#include "core/kaleidra_app.h"
#include "tests/core/qstring_printer.h"

#include "core/instance_handover.h"
#include "core/language_data.h"
#include "core/main_frame.h"
#include "core/message_box.h"
#include "core/message_catalog.h"
#include "core/skin_ini.h"
#include "platform/dialog_service.h"
#include "tests/fixtures/scoped_env.h"
#include "tests/fixtures/scripted_dialog_service.h"
#include "tests/fixtures/temp_folder.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QFile>
#include <QUuid>

#include <QGuiApplication>
#include <QScreen>
#include <gtest/gtest.h>

namespace {

// Records the application name at the moment a box is shown.
class CNameRecordingDialogs final : public platform::CDialogService {
public:
    CNameRecordingDialogs() { platform::SetDialogService(this); }
    ~CNameRecordingDialogs() override { platform::SetDialogService(nullptr); }
    int MessageBox(const QString& text, const QString& caption, unsigned type) override
    {
        shown.push_back({ text, caption, type, KaleidraApp()->AppName() });
        return platform::IDYES;
    }
    std::optional<QString> OpenFileName(const QString&, const QString&, const QString&, QString*) override
    {
        return {};
    }
    std::optional<QString> SaveFileName(const QString&, const QString&, const QString&, QString*) override
    {
        return {};
    }
    std::optional<QString> FolderName(const QString&, const QString&) override { return {}; }
    std::optional<uint32_t> Colour(uint32_t) override { return {}; }

    struct Box {
        QString text, caption;
        unsigned type;
        QString appNameWhileShown;
    };
    std::vector<Box> shown;
};

} // namespace

TEST(KaleidraApp, MessageBoxesCarryTheProductCaption)
{
    CKaleidraApp app;
    CNameRecordingDialogs dialogs;
    EXPECT_EQ(app.AppName(), QStringLiteral("Kaleidra"));
    EXPECT_EQ(app.DoMessageBox(QStringLiteral("質問"), platform::MB_YESNO), platform::IDYES);
    EXPECT_EQ(KaleidraMessageBox(QStringLiteral("二つ目"), platform::MB_OK), platform::IDYES);
    ASSERT_EQ(dialogs.shown.size(), 2u);
    for (const auto& box : dialogs.shown) {
        EXPECT_EQ(box.caption, QStringLiteral("Kaleidra Pro"));
        EXPECT_EQ(box.appNameWhileShown, QStringLiteral("Kaleidra Pro"));
    }
    EXPECT_EQ(dialogs.shown[0].type, unsigned(platform::MB_YESNO));
    EXPECT_EQ(app.AppName(), QStringLiteral("Kaleidra"));
}

TEST(KaleidraApp, MessageBoxWithoutApplicationObjectHasTheCaptionToo)
{
    CScriptedDialogService dialogs;
    dialogs.AnswerMessageBox(platform::IDOK);
    EXPECT_EQ(KaleidraMessageBox(QStringLiteral("text"), platform::MB_OK), platform::IDOK);
    ASSERT_EQ(dialogs.Requests().size(), 1u);
    EXPECT_EQ(dialogs.Requests().front().caption, QStringLiteral("Kaleidra Pro"));
}

TEST(KaleidraApp, DisplayListCountsAttachedDisplaysFromOne)
{
    CKaleidraApp app;
    EXPECT_EQ(app.GetDisplayDeviceName(1), QString());
    app.EnumDisplayDevices();
    const auto screens = QGuiApplication::screens();
    ASSERT_EQ(app.DisplayDevices().size(), size_t(screens.size()));
    EXPECT_EQ(app.GetDisplayDeviceName(1), screens.front()->name());
    EXPECT_EQ(app.GetDisplayDeviceName(0), QString());
    EXPECT_EQ(app.GetDisplayDeviceName(int(screens.size()) + 1), QString());
    EXPECT_EQ(app.GetDisplayDeviceName(-1), QString());
}

TEST(KaleidraApp, OnlyAttachedDisplaysOfTheFirstHundredAreListed)
{
    std::vector<tagCKD_DISPLAY_DEVICE> devices(150);
    for (size_t i = 0; i < devices.size(); ++i) {
        devices[i].DeviceName = QString::number(i);
        devices[i].StateFlags = i % 3 == 1 ? 0 : DISPLAY_DEVICE_ATTACHED_TO_DESKTOP;
    }
    const auto attached = AttachedDisplayDevices(devices);
    ASSERT_FALSE(attached.empty());
    EXPECT_EQ(attached[0].DeviceName, QStringLiteral("0"));
    EXPECT_EQ(attached[1].DeviceName, QStringLiteral("2"));
    EXPECT_EQ(attached.back().DeviceName, QStringLiteral("99"));
    EXPECT_EQ(attached.size(), 67u);
}

TEST(KaleidraApp, FontScales)
{
    CKaleidraApp app;
    EXPECT_EQ(app.FontScaleX(), 1.0);
    EXPECT_EQ(app.FontScaleY(), 1.0);
    const struct {
        double x, y, expectedX, expectedY;
    } cases[] = { { 1.25, 1.5, 1.25, 1.5 }, { 0.0, 2.0, 1.0, 2.0 }, { -1.0, 1.0, 1.0, 1.0 } };
    for (const auto& c : cases) {
        app.SetFontScales(c.x, c.y);
        EXPECT_EQ(app.FontScaleX(), c.expectedX);
        EXPECT_EQ(app.FontScaleY(), c.expectedY);
    }
    app.UpdateFontScales(nullptr);
    EXPECT_EQ(app.FontScaleX(), 1.0);
    const QScreen* screen = QGuiApplication::primaryScreen();
    app.UpdateFontScales(screen);
    EXPECT_DOUBLE_EQ(app.FontScaleX(), screen->logicalDotsPerInchX() / 96.0);
}

namespace {

// A document template whose document remembers the file it was asked to open.
struct CTestTemplate {
    QString openedPath;
    bool openSucceeds = true;

    class CTestDocument final : public CDocument {
    public:
        explicit CTestDocument(CTestTemplate& owner)
            : m_owner(owner)
        {
        }
        bool OnOpenDocument(const QString& path) override
        {
            m_owner.openedPath = path;
            return m_owner.openSucceeds;
        }
        bool SaveModified() override { return true; }
        void CloseWithoutQuestion() override { }

    private:
        CTestTemplate& m_owner;
    };

    CSingleDocTemplate Make()
    {
        return { [this] { return std::make_unique<CTestDocument>(*this); },
            [](CMainFrame&, CDocument&) -> QWidget* { return new QWidget; } };
    }
};

// Every name the editor uses for finding itself is unique to the test.
struct CIsolatedInstance {
    CTempFolder folder;
    CScopedEnv suffix { "KALEIDRA_INSTANCE_SUFFIX",
        "-app-" + QUuid::createUuid().toString(QUuid::Id128).left(12).toLatin1() };
    CScopedEnv programFolder { "KALEIDRA_PROGRAM_DIR", folder.Path().toUtf8() };
    CScopedEnv tempFolder { "TMPDIR", folder.MakeFolder(QStringLiteral("tmp")).toUtf8() };
    CScopedEnv runtimeFolder { "XDG_RUNTIME_DIR", PrivateFolder(folder, QStringLiteral("runtime")).toUtf8() };

    static QString PrivateFolder(const CTempFolder& folder, const QString& name)
    {
        const QString path = folder.MakeFolder(name);
        QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        return path;
    }
};

} // namespace

TEST(KaleidraApp, FirstStartLoadsTheServicesShowsTheFrameAndTakesHandOvers)
{
    CIsolatedInstance isolated;
    isolated.folder.WriteFile(
        QStringLiteral("Language.dat"), QByteArray("[FILE_MENU]\nFILE_MENU_FILE=File\n"));
    isolated.folder.WriteFile(QStringLiteral("Message.dat"), QByteArray("[MESSAGE]\nMSG_001=Where?\n"));
    isolated.folder.WriteFile(
        QStringLiteral("Skin/Skin.ini"), QByteArray("[COMMON_COLOR]\nCOLOR_TEXT=1,2,3\n"));
    CTestTemplate docTemplate;
    CKaleidraApp app;
    app.SetDocumentTemplate(docTemplate.Make());
    ASSERT_TRUE(app.InitInstance({ QStringLiteral("/shows/first.kdp") }));

    EXPECT_FALSE(app.IsSecondStart());
    EXPECT_EQ(app.Language()->GetFileMenuFile(), QStringLiteral("File"));
    EXPECT_EQ(app.Messages()->GetMessage(0), QStringLiteral("Where?"));
    EXPECT_EQ(app.Skin()->GetColor(CSkinIni::COLOR_TEXT), platform::Rgb(1, 2, 3));
    EXPECT_EQ(docTemplate.openedPath, QStringLiteral("/shows/first.kdp"));
    ASSERT_NE(app.MainFrame(), nullptr);
    EXPECT_TRUE(app.MainFrame()->isVisible());
    EXPECT_EQ(app.MainFrame()->windowTitle(), QStringLiteral("Kaleidra Pro"));
    EXPECT_FALSE(app.DisplayDevices().empty());

    // A second start reaches this editor's frame through its socket and the shared block.
    const EditorInstanceNames names = MakeEditorInstanceNames(CKaleidraApp::GetModuleFileTitle());
    CMemMapped secondStartBlock;
    auto* block
        = static_cast<BootParamBlock*>(secondStartBlock.Create(sizeof(BootParamBlock), names.bootBlock));
    ASSERT_NE(block, nullptr);
    const SecondStartResult result
        = HandOverToRunningInstance(names.server, secondStartBlock, { "next.kdp" }, "/shows");
    EXPECT_TRUE(result.foundRunningInstance);
    const QDeadlineTimer deadline(5000);
    while (app.MainFrame()->LastHandedOverPath().isEmpty() && !deadline.hasExpired())
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    EXPECT_EQ(app.MainFrame()->LastHandedOverPath(), QStringLiteral("/shows/next.kdp"));
    EXPECT_EQ(block->flag, kBootParamFree);

    EXPECT_EQ(app.ExitInstance(), 0);
    EXPECT_EQ(app.Skin(), nullptr);
    EXPECT_EQ(app.MainFrame(), nullptr);
}

TEST(KaleidraApp, StartFailsWhenTheDocumentCannotOpenTheGivenFile)
{
    CIsolatedInstance isolated;
    CTestTemplate docTemplate;
    docTemplate.openSucceeds = false;
    CKaleidraApp app;
    app.SetDocumentTemplate(docTemplate.Make());
    EXPECT_FALSE(app.InitInstance({ QStringLiteral("/missing.kdp") }));
    EXPECT_FALSE(app.IsSecondStart());
    EXPECT_EQ(app.ExitInstance(), 0);
}

// The editor registers its edit pop-up menu ("編集": cut, copy, paste) at start.
TEST(KaleidraApp, TheEditPopUpMenuIsRegisteredAtStart)
{
    CIsolatedInstance isolated;
    CTestTemplate docTemplate;
    CKaleidraApp app;
    app.SetDocumentTemplate(docTemplate.Make());
    EXPECT_FALSE(app.ContextMenuManager().HasMenu(QStringLiteral("編集")));
    ASSERT_TRUE(app.InitInstance({}));
    const auto entries = app.ContextMenuManager().MenuEntries(QStringLiteral("編集"));
    ASSERT_EQ(entries.size(), 3u);
    EXPECT_EQ(entries[0].text, QStringLiteral("切り取り(&T)\tCtrl+X"));
    EXPECT_EQ(entries[0].commandId, ID_EDIT_CUT);
    EXPECT_EQ(entries[1].text, QStringLiteral("コピー(&C)\tCtrl+C"));
    EXPECT_EQ(entries[1].commandId, ID_EDIT_COPY);
    EXPECT_EQ(entries[2].text, QStringLiteral("貼り付け(&P)\tCtrl+V"));
    EXPECT_EQ(entries[2].commandId, ID_EDIT_PASTE);
    app.ExitInstance();
}

namespace {

QStringList g_warnings;

void RecordWarnings(QtMsgType type, const QMessageLogContext&, const QString& message)
{
    if (type == QtWarningMsg)
        g_warnings << message;
}

} // namespace

// An editor that cannot listen for second starts still runs, but says so.
TEST(KaleidraApp, AFailingListenIsReported)
{
    CIsolatedInstance isolated;
    const EditorInstanceNames names = MakeEditorInstanceNames(CKaleidraApp::GetModuleFileTitle());
    // A folder where the socket must go: it can be neither replaced nor listened on.
    isolated.folder.MakeFolder(QStringLiteral("runtime/") + names.server + QStringLiteral("/in-the-way"));
    CTestTemplate docTemplate;
    CKaleidraApp app;
    app.SetDocumentTemplate(docTemplate.Make());
    g_warnings.clear();
    const QtMessageHandler previous = qInstallMessageHandler(RecordWarnings);
    const bool started = app.InitInstance({});
    qInstallMessageHandler(previous);
    EXPECT_TRUE(started);
    ASSERT_EQ(g_warnings.size(), 1) << g_warnings.join('\n').toStdString();
    EXPECT_TRUE(g_warnings.front().contains(QStringLiteral("second starts cannot reach this editor")));
    EXPECT_TRUE(g_warnings.front().contains(names.server));
    app.ExitInstance();
}
