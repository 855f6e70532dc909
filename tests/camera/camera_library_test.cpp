#include "camera/camera_library.h"
#include "tests/fixtures/loaded_libraries.h"
#include "tests/fixtures/temp_folder.h"
#include "tests/viewer/editor_side.h"
#include "tests/viewer/show_project.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <gtest/gtest.h>

// The camera support is a library of its own that links OpenCV, opened when a camera is first
// used: the programs start without OpenCV and the many libraries it pulls in.

using Item = tagTL_FACE_ITEM_DATA;

TEST(CameraLibrary, TheProgramsStartWithoutOpenCv)
{
    for (const char* program : { KALEIDRA_EDITOR_PROGRAM, KALEIDRA_LUXVIEWER_PATH }) {
        SCOPED_TRACE(program);
        const QString loaded = LoadedAtStart(QString::fromUtf8(program));
        // The listing is the program's own: Qt is there.
        EXPECT_TRUE(loaded.contains(QStringLiteral("libQt6Core.so"))) << loaded.toStdString();
        for (const char* library : { "libopencv", "libgdal", "libgdcm", "libkaleidra_camera" })
            EXPECT_FALSE(loaded.contains(QString::fromLatin1(library))) << library;
        // The camera support lies beside the program, where the program looks for it.
        EXPECT_TRUE(QFileInfo(
            QFileInfo(QString::fromUtf8(program)).dir(), QString::fromLatin1(CCameraLibrary::kFileName))
                        .isFile());
    }
}

// Opening the library brings OpenCV in; its cameras are only the video devices that open.
TEST(CameraLibrary, OpeningItLoadsOpenCvAndOpensOnlyDevicesThatAreThere)
{
    const qint64 self = QCoreApplication::applicationPid();
    ASSERT_FALSE(AnyNamed(MappedLibraries(self), QStringLiteral("libopencv_videoio")));
    const CWarningLog log;
    const CCameraLibrary library(QStringLiteral(KALEIDRA_CAMERA_LIBRARY));
    ASSERT_TRUE(library.IsLoaded()) << library.ErrorText().toStdString();
    EXPECT_TRUE(library.ErrorText().isEmpty());
    EXPECT_TRUE(log.Lines().isEmpty()) << log.Lines().join(u'\n').toStdString();
    EXPECT_TRUE(AnyNamed(MappedLibraries(self), QStringLiteral("libopencv_videoio")));
    // Build machines have no camera at these numbers.
    for (int device : { -1, 63, 4095 }) {
        SCOPED_TRACE(device);
        EXPECT_EQ(library.Open(device), nullptr);
    }
}

// Without the library (or with one that is not ours) no camera opens, as when no camera is
// there, and the log says why.
TEST(CameraLibrary, WithoutTheLibraryNoCameraOpensAndTheLogSaysWhy)
{
    CTempFolder folder;
    folder.WriteFile(QStringLiteral("text/libkaleidra_camera.so"), "not a library");
    struct Case {
        const char* name;
        QString path;
        QString reason; // a part of the error text
    } cases[] = {
        { "missing", folder.FilePath(QStringLiteral("none/libkaleidra_camera.so")),
            QStringLiteral("missing or no regular file") },
        { "not a library", folder.FilePath(QStringLiteral("text/libkaleidra_camera.so")),
            QStringLiteral("text/libkaleidra_camera.so") },
        { "another library", QStringLiteral(KALEIDRA_OTHER_LIBRARY), QStringLiteral("kaleidra_camera_api") },
        { "another version", QStringLiteral(KALEIDRA_OTHER_VERSION_CAMERA),
            QStringLiteral("another version") },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const CWarningLog log;
        const CCameraLibrary library(c.path);
        EXPECT_FALSE(library.IsLoaded());
        EXPECT_TRUE(library.ErrorText().contains(c.reason)) << library.ErrorText().toStdString();
        EXPECT_EQ(library.Open(0), nullptr);
        ASSERT_EQ(log.Lines().size(), 1);
        EXPECT_TRUE(log.Lines()[0].contains(QStringLiteral("no camera can be opened")));
        EXPECT_TRUE(log.Lines()[0].contains(library.ErrorText()));
    }
}

// Luxviewer loads the camera support, from its own folder, when it first shows a camera, and
// not before.
TEST(CameraLibrary, TheViewerLoadsItWhenItFirstShowsACamera)
{
    CTempFolder temp;
    CShowProject project(temp);
    ASSERT_TRUE(project.AddFace(1, QPolygon({ { 0, 0 }, { 320, 0 }, { 320, 180 }, { 0, 180 } })));
    ASSERT_TRUE(project.SetItem(CShowProject::Item(
        1, 0, 1000, Item::MODE_IMAGE, WriteSolidPicture(temp, QStringLiteral("p.png"), Qt::green))));
    Item camera = CShowProject::Item(1, 1000, 1000, Item::MODE_CAMERA);
    camera.CameraID = 63; // no such capture device
    ASSERT_TRUE(project.SetItem(camera));

    CEditorSide editor;
    ASSERT_TRUE(editor.IsValid());
    ASSERT_TRUE(editor.StartViewer(QRect(0, 0, 640, 360)));
    ASSERT_TRUE(editor.Project(kPmProjectLoad, project.ProjectXmlPath(), project.WorkFolder()));
    ASSERT_TRUE(editor.Command(kPmCommandSeek, { QStringLiteral("100") }));
    const qint64 viewer = editor.Process().processId();
    // The picture is shown once the viewer answers a request after the seek.
    ASSERT_TRUE(editor.Query(kPmQueryGetCorners, { QStringLiteral("1") }));
    QStringList mapped = MappedLibraries(viewer);
    ASSERT_TRUE(AnyNamed(mapped, QStringLiteral("libQt6Core"))) << mapped.join(u'\n').toStdString();
    EXPECT_FALSE(AnyNamed(mapped, QStringLiteral("libkaleidra_camera")));
    EXPECT_FALSE(AnyNamed(mapped, QStringLiteral("libopencv")));

    ASSERT_TRUE(editor.Command(kPmCommandSeek, { QStringLiteral("1100") }));
    const QString beside = QFileInfo(QStringLiteral(KALEIDRA_LUXVIEWER_PATH)).canonicalPath();
    EXPECT_TRUE(CEditorSide::WaitUntil([&] {
        mapped = MappedLibraries(viewer);
        return AnyNamed(mapped, QStringLiteral("libopencv_videoio"));
    })) << mapped.join(u'\n').toStdString();
    bool fromItsFolder = false;
    for (const QString& path : mapped)
        if (QFileInfo(path).fileName() == QString::fromLatin1(CCameraLibrary::kFileName))
            fromItsFolder = QFileInfo(path).canonicalPath() == beside;
    EXPECT_TRUE(fromItsFolder) << mapped.join(u'\n').toStdString();
}
