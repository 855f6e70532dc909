#pragma once

#include "project/face_data.h"
#include "tests/view/view_fixture.h"

#include <QColor>
#include <QPoint>
#include <QString>
#include <QStringList>
#include <array>
#include <functional>
#include <map>

class CTimeLine;

// The editor's view in this process with its own settings, registry store and work folder in
// a temporary tree, its project dialogs answered as a user would, driving the real Luxviewer on
// the virtual display of the test (1920 x 1080). The settings put the viewer in the dual mode
// with the whole display as the canvas, so that with SCREEN on a canvas pixel is a screen pixel.
class ShowEndToEnd : public ViewFixture {
public:
    using Item = tagTL_FACE_ITEM_DATA;

    // The picture of the show and the grey ramp movie's frame rate.
    static const QColor kPicture;
    static constexpr int kMovieRate = 25;

protected:
    void SetUp() override;

    // Makes the media in the temporary folder: a picture of kPicture, a 2 s movie whose frames
    // are greys of their number, a 2 s tone.
    void MakeMedia();
    // A new project "show" with two faces: the picture at 0 and the tone at 600 on face 1, the
    // movie at 600 on face 2, dropped onto the timeline; the viewer runs.
    void NewShow();

    CTimeLine& TimeLine() { return *view->TimeLine(); }
    Item ItemAt(int32_t faceNo, int32_t start);
    std::array<int32_t, 8> Corners(int32_t faceNo);
    // The corners the viewer holds for the face, asked through the block.
    std::array<int32_t, 8> ViewerCorners(int32_t faceNo);
    // The corners of the face as its entry in the project's files holds them.
    std::array<int32_t, 8> StoredCorners(int32_t faceNo);
    QString ProjectXml() const { return temp.FilePath(QStringLiteral("work/show/show.xml")); }
    QString ProjectFile() const { return shows + QStringLiteral("/show.kdp"); }

    // Drops the file onto the face's row at the time, as a file manager's drag does.
    void DropOnFace(int32_t faceNo, int32_t time, const QString& path);
    // The item panel's edit of an item, as the panel reports it.
    void PanelEdit(const Item& before, const std::function<void(Item&)>& change);
    // The show stopped at the time (the current-time field and a seek, as typed).
    void ShowAt(int32_t time);
    // SCREEN on or off, as its button does.
    void SetScreen(bool on);

    // Waits until the display shows the colour at the point (within the tolerance per channel);
    // otherwise says what it shows and keeps the screen as a PNG.
    ::testing::AssertionResult ShowsColour(QPoint point, const QColor& expected, int tolerance = 8);
    // The colour the display shows at the point now.
    static QColor ScreenColour(QPoint point);

    QString shows;
    QString typedName = QStringLiteral("show");
    QString picturePath, moviePath, soundPath;
};

// Runs xdotool with the arguments: the display's own pointer and keys (XTest); its output.
bool XdoTool(const QStringList& arguments, QString* output = nullptr);
// Drags with the display's pointer, as a user's hand does.
bool DragPointer(QPoint from, QPoint to);
// Every XML file under the folder, by relative path, with its bytes.
std::map<QString, QByteArray> XmlFiles(const QString& folder);
// A grey of the movie's frame for the show time, with the movie started at `start`.
int MovieGreyAt(int32_t start, int32_t time);
