#include "controls/gdi_button.h"
#include "controls/gdi_combo_box.h"
#include "controls/msk_edit.h"
#include "itempanel/camera_dlg.h"
#include "platform/dialog_service.h"
#include "platform/video_devices.h"
#include "tests/fixtures/scripted_dialog_service.h"
#include "tests/fixtures/temp_folder.h"
#include "tests/itempanel/page_fixtures.h"
#include "tests/itempanel/panel_fixtures.h"

#include <QFile>
#include <QFileInfo>
#include <gtest/gtest.h>

using namespace page_fixtures;

namespace {

// Cameras for the tests: each opens or not, gives its frame after some empty reads (or never),
// and reports a frame size; sizes set on a capture are logged.
struct FakeCamera {
    bool opens = true;
    int emptyReads = 0; // -1: never a frame
    QSize size { 640, 480 };
    QColor colour { 200, 40, 40 };
};

class CFakeCameras : public CCameraAccess {
public:
    std::vector<FakeCamera> cameras;
    QStringList log;
    int pauses = 0;

    std::unique_ptr<CCameraCapture> Open(int cameraId) override;
    void Pause(int) override { ++pauses; }
};

class CFakeCapture : public CCameraCapture {
public:
    CFakeCapture(CFakeCameras& owner, FakeCamera camera)
        : m_owner(owner)
        , m_camera(camera)
    {
    }
    bool IsOpened() const override { return m_camera.opens; }
    QImage Read() override
    {
        if (m_camera.emptyReads < 0 || m_reads++ < m_camera.emptyReads)
            return QImage();
        QImage frame(m_camera.size, QImage::Format_RGB888);
        frame.fill(m_camera.colour);
        return frame;
    }
    double Get(int property) const override
    {
        return property == kFrameWidth ? m_camera.size.width() : m_camera.size.height();
    }
    bool Set(int property, double value) override
    {
        m_owner.log << QStringLiteral("Set %1 %2").arg(property).arg(value);
        (property == kFrameWidth ? m_camera.size.rwidth() : m_camera.size.rheight()) = int(value);
        return true;
    }

private:
    CFakeCameras& m_owner;
    FakeCamera m_camera;
    int m_reads = 0;
};

std::unique_ptr<CCameraCapture> CFakeCameras::Open(int cameraId)
{
    log << QStringLiteral("Open %1").arg(cameraId);
    if (cameraId < 0 || cameraId >= int(cameras.size()))
        return nullptr;
    return std::make_unique<CFakeCapture>(*this, cameras[size_t(cameraId)]);
}

tagCAMERA_SETTING_DATA Camera(int id, const QString& name, int width = 0, int height = 0)
{
    return { id, name, width, height };
}

class CameraDialogTest : public ::testing::Test {
protected:
    void Open(std::vector<tagCAMERA_SETTING_DATA> cameras, std::vector<FakeCamera> devices)
    {
        auto access = std::make_unique<CFakeCameras>();
        access->cameras = std::move(devices);
        m_cameras = access.get();
        m_dialog.SetCameraAccess(std::move(access));
        m_dialog.m_settingFolder = m_folder.Path() + u'/';
        m_dialog.SetCameras(cameras);
        m_dialog.m_imageWidths = { 640, 1280 };
        m_dialog.m_imageHeights = { 480, 720 };
        m_dialog.InitDialog();
    }

    CGdiComboBox* Cameras() const { return m_dialog.ItemAs<CGdiComboBox>(CCameraDlg::IDC_CAMERA); }
    CGdiComboBox* Sizes() const { return m_dialog.ItemAs<CGdiComboBox>(CCameraDlg::IDC_SIZE); }
    CMskEdit* Name() const { return m_dialog.ItemAs<CMskEdit>(CCameraDlg::IDC_NAME); }
    QStringList Entries() const
    {
        QStringList texts;
        for (int i = 0; i < Cameras()->count(); ++i)
            texts << Cameras()->itemText(i);
        return texts;
    }
    bool SnapshotExists(int number) const
    {
        return QFile::exists(m_folder.FilePath(QString::asprintf("Camera%02d.png", number)));
    }

    CTempFolder m_folder;
    CScriptedDialogService m_dialogs;
    CFakeCameras* m_cameras = nullptr;
    CCameraDlg m_dialog;
};

TEST_F(CameraDialogTest, OpensWithTheSettingsCamerasAndTheirNamesAndSizes)
{
    Open({ Camera(0, QStringLiteral("front"), 1280, 720), Camera(1, QString(), 800, 600) }, {});
    EXPECT_EQ(Entries(), QStringList({ "0:front", "1:" }));
    EXPECT_EQ(Name()->text(), QStringLiteral("front"));
    EXPECT_EQ(Sizes()->currentText(), QStringLiteral("1280 x 720"));
    EXPECT_TRUE(Name()->isEnabled());
    EXPECT_EQ(m_dialog.size(), QSize(379, 468));
    EXPECT_EQ(m_dialog.PreviewRect().width() * 9 / 16, m_dialog.PreviewRect().height());

    // A camera without a name shows the default name; a size the offer lacks selects nothing.
    Choose(Cameras(), 1);
    EXPECT_EQ(Name()->text(), QStringLiteral("カメラ2"));
    EXPECT_EQ(Sizes()->currentIndex(), -1);
    EXPECT_TRUE(m_cameras->log.isEmpty()); // nothing opened a camera
}

TEST_F(CameraDialogTest, DetectionFindsTheCamerasInOrderAndWritesTheirSnapshots)
{
    Open({}, { FakeCamera {}, FakeCamera { true, 3, QSize(1920, 1080) }, FakeCamera { false } });
    EXPECT_FALSE(Name()->isEnabled());
    m_dialogs.AnswerMessageBox(platform::IDYES);
    m_dialogs.AnswerMessageBox(platform::IDOK);
    m_dialog.ItemAs<CGdiButton>(CCameraDlg::IDC_DETECT)->click();
    EXPECT_EQ(m_dialogs.MessageTexts(),
        std::vector<QString>({ QStringLiteral("接続されているカメラを検出します。よろしいですか？"),
            QStringLiteral("2台のカメラを検出しました。") }));
    EXPECT_TRUE(SnapshotExists(1));
    EXPECT_TRUE(SnapshotExists(2));
    EXPECT_FALSE(SnapshotExists(3));
    EXPECT_EQ(QImage(m_folder.FilePath(QStringLiteral("Camera02.png"))).size(), QSize(1920, 1080));
    EXPECT_EQ(m_cameras->pauses, 3);
    ASSERT_EQ(m_dialog.m_cameras.size(), 2u);
    EXPECT_EQ(m_dialog.m_cameras[1], Camera(1, QStringLiteral("カメラ2"), 1920, 1080));
    EXPECT_EQ(Entries(), QStringList({ "0:カメラ1", "1:カメラ2" }));
    EXPECT_TRUE(Name()->isEnabled());
}

TEST_F(CameraDialogTest, ACameraThatGivesNoFrameEndsTheDetectionUncounted)
{
    const QString old = m_folder.WriteFile(QStringLiteral("Camera02.png"), "old");
    Open({}, { FakeCamera {}, FakeCamera { true, -1 }, FakeCamera {} });
    std::vector<QSize> sizes;
    EXPECT_EQ(m_dialog.EnumCameras(&sizes), 1);
    EXPECT_EQ(m_cameras->pauses, CCameraDlg::kSnapshotReads);
    EXPECT_EQ(m_folder.ReadFile(QStringLiteral("Camera02.png")), "old");
    EXPECT_EQ(sizes.size(), 2u); // the size is taken before the frame
    EXPECT_FALSE(m_cameras->log.contains(QStringLiteral("Open 2")));
    (void)old;
}

TEST_F(CameraDialogTest, RedetectionKeepsListedCamerasAndGivesNewOnesUnusedIds)
{
    struct Case {
        const char* name;
        std::vector<tagCAMERA_SETTING_DATA> listed;
        int found;
        std::vector<tagCAMERA_SETTING_DATA> after;
    } cases[] = {
        { "fewer than listed: the surplus goes",
            { Camera(0, QStringLiteral("a"), 640, 480), Camera(1, QStringLiteral("b")),
                Camera(2, QStringLiteral("c")) },
            2, { Camera(0, QStringLiteral("a"), 640, 480), Camera(1, QStringLiteral("b")) } },
        { "more than listed: new ones get the default name and their size",
            { Camera(0, QStringLiteral("a"), 1280, 720) }, 3,
            { Camera(0, QStringLiteral("a"), 1280, 720), Camera(1, QStringLiteral("カメラ2"), 320, 240),
                Camera(2, QStringLiteral("カメラ3"), 320, 240) } },
        { "a new camera never takes an id that is listed", { Camera(1, QStringLiteral("b")) }, 2,
            { Camera(1, QStringLiteral("b")), Camera(0, QStringLiteral("カメラ1"), 320, 240) } },
        { "none found", { Camera(0, QStringLiteral("a")) }, 0, {} },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        CCameraDlg dialog;
        auto access = std::make_unique<CFakeCameras>();
        access->cameras.assign(size_t(c.found), FakeCamera { true, 0, QSize(320, 240) });
        dialog.SetCameraAccess(std::move(access));
        dialog.m_settingFolder = m_folder.Path();
        dialog.SetCameras(c.listed);
        dialog.InitDialog();
        m_dialogs.AnswerMessageBox(platform::IDYES);
        m_dialogs.AnswerMessageBox(platform::IDOK);
        dialog.OnDetectCameras();
        EXPECT_EQ(dialog.m_cameras, c.after);
        EXPECT_EQ(dialog.ItemAs<QWidget>(CCameraDlg::IDC_NAME)->isEnabled(), !c.after.empty());
    }
    EXPECT_EQ(m_dialogs.MessageTexts().back(), QStringLiteral("カメラを検出できませんでした。"));

    // "No" to the question detects nothing.
    Open({ Camera(0, QStringLiteral("a")) }, { FakeCamera {} });
    m_dialogs.AnswerMessageBox(platform::IDNO);
    m_dialog.OnDetectCameras();
    EXPECT_TRUE(m_cameras->log.isEmpty());
    EXPECT_TRUE(m_dialogs.AllAnswersUsed());
}

TEST_F(CameraDialogTest, NamesAndSizesAreEditedInTheWorkingList)
{
    Open({ Camera(0, QStringLiteral("a"), 640, 480), Camera(1, QStringLiteral("b")) }, {});
    TypeText(Name(), QStringLiteral("  stage left "));
    PressKey(Name(), Qt::Key_Return);
    EXPECT_EQ(m_dialog.m_cameras[0].CameraName, QStringLiteral("stage left"));
    EXPECT_EQ(Entries()[0], QStringLiteral("0:stage left"));
    EXPECT_EQ(Cameras()->currentIndex(), 0);

    // A name of blanks becomes the default name, written back into the field.
    TypeText(Name(), QStringLiteral("   "));
    LeaveField(Name());
    EXPECT_EQ(m_dialog.m_cameras[0].CameraName, QStringLiteral("カメラ1"));
    EXPECT_EQ(Name()->text(), QStringLiteral("カメラ1"));

    Choose(Sizes(), 1);
    EXPECT_EQ(QSize(m_dialog.m_cameras[0].ImageWidth, m_dialog.m_cameras[0].ImageHeight), QSize(1280, 720));
    Sizes()->setCurrentIndex(-1);
    emit Sizes()->activated(-1);
    EXPECT_EQ(m_dialog.m_cameras[0].ImageWidth, 0);
    EXPECT_EQ(m_dialog.m_cameras[1], Camera(1, QStringLiteral("b")));
}

TEST_F(CameraDialogTest, TheSnapshotButtonSetsTheChosenSizeOnly)
{
    Open({ Camera(0, QStringLiteral("a"), 640, 480) }, { FakeCamera { true, 0, QSize(800, 600) } });
    Sizes()->setCurrentIndex(-1);
    m_dialog.OnTakeSnapshot();
    EXPECT_EQ(m_cameras->log, QStringList({ "Open 0" }));
    EXPECT_EQ(QImage(m_folder.FilePath(QStringLiteral("Camera01.png"))).size(), QSize(800, 600));

    m_cameras->log.clear();
    Sizes()->setCurrentIndex(1);
    m_dialog.ItemAs<CGdiButton>(CCameraDlg::IDC_SNAPSHOT)->click();
    EXPECT_EQ(m_cameras->log, QStringList({ "Open 0", "Set 3 1280", "Set 4 720" }));
    EXPECT_EQ(QImage(m_folder.FilePath(QStringLiteral("Camera01.png"))).size(), QSize(1280, 720));
    // The snapshot is drawn in the preview area, from its top-left corner.
    const QImage shown = m_dialog.grab().toImage();
    EXPECT_EQ(shown.pixelColor(m_dialog.PreviewRect().topLeft() + QPoint(2, 2)), QColor(200, 40, 40));
}

TEST_F(CameraDialogTest, CancelAsksOnlyAfterAChange)
{
    Open({ Camera(0, QStringLiteral("a")) }, {});
    m_dialog.show();
    m_dialog.reject();
    EXPECT_EQ(m_dialog.result(), QDialog::Rejected);
    EXPECT_FALSE(m_dialog.isVisible());
    EXPECT_TRUE(m_dialogs.Requests().empty());

    m_dialog.show();
    TypeText(Name(), QStringLiteral("b"));
    PressKey(Name(), Qt::Key_Tab);
    m_dialogs.AnswerMessageBox(platform::IDNO);
    m_dialog.ItemAs<CGdiButton>(CCameraDlg::IDC_CANCEL)->click();
    EXPECT_TRUE(m_dialog.isVisible());
    m_dialogs.AnswerMessageBox(platform::IDYES);
    PressKey(&m_dialog, Qt::Key_Escape);
    EXPECT_FALSE(m_dialog.isVisible());
    EXPECT_EQ(m_dialogs.MessageTexts().back(),
        QStringLiteral("変更内容が登録されていませんが、閉じてよろしいですか？"));
}

TEST(VideoDevices, OnlyCaptureNodesNamedVideoNCount)
{
    struct Case {
        const char* name;
        std::optional<int> number;
    } cases[] = { { "video0", 0 }, { "video12", 12 }, { "video", std::nullopt }, { "video1a", std::nullopt },
        { "videox", std::nullopt }, { "vbi0", std::nullopt }, { "video99999999", std::nullopt } };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(platform::VideoNodeNumber(QString::fromLatin1(c.name)), c.number);
    }
    // Files that are no devices are never taken for cameras.
    CTempFolder folder;
    folder.WriteFile(QStringLiteral("video0"), "x");
    folder.MakeFolder(QStringLiteral("video1"));
    EXPECT_TRUE(platform::CaptureDeviceNumbers(folder.Path()).empty());

    // The program's access opens only cameras the machine has.
    const std::unique_ptr<CCameraAccess> access = MakeOpenCvCameraAccess();
    const size_t present = platform::CaptureDeviceNumbers().size();
    EXPECT_EQ(access->Open(int(present)), nullptr);
    EXPECT_EQ(access->Open(-1), nullptr);
}

} // namespace
