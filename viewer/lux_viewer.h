#pragma once

#include "platform/parent_process.h"
#include "viewer/face_layer.h"
#include "viewer/guide_controller.h"
#include "viewer/play_clock.h"
#include "viewer/show_media.h"
#include "viewer/viewer_channel.h"
#include "viewer/viewer_output.h"
#include "viewer/viewer_scene.h"

#include <QObject>
#include <QRect>
#include <QStringList>
#include <QTimer>
#include <memory>
#include <optional>

class CFaceRenderer;
class QPainter;

// How the viewer was started: "[--headless] x y width height".
struct ViewerOptions {
    bool headless = false;
    QRect rect;

    // Nothing (with the reason) for a command line that does not match.
    static std::optional<ViewerOptions> Parse(const QStringList& arguments, QString* error);
    // The preview start mode of the editor's settings ("ViewerMode", 0 dual, 1 single), which
    // the SCREEN command repeats later.
    static int StartViewerMode();
};

// The output program: keeps the editor's block (CViewerChannel), the show's clock, the faces
// and their media, and the output, and ends with its editor.
class CLuxViewer : public QObject, public CViewerChannelOwner {
    Q_OBJECT
public:
    // How often the block is looked at. The editor waits in passes of 10 ms.
    static constexpr int kPollIntervalMs = 5;

    CLuxViewer(const ViewerOptions& options, PmParamBlock& block, QAudioDevice audioDevice = {});
    ~CLuxViewer() override;

    // Starts the polling; its first pass, run from the event loop, takes what already stands
    // in the block.
    void Start(std::unique_ptr<CViewerOutput> output);

    // For the output: the canvas (the show's picture in projector pixels), GUIDE, and the
    // picture of the current time.
    QSize Canvas() const { return m_canvas; }
    bool IsGuideOn() const { return m_guide; }
    std::vector<FaceLayer> Layers();
    std::vector<GuideFace> GuideFaces() const;
    // Draws the current frame with the renderer into the bound frame buffer, the canvas placed
    // in the viewport (the GUIDE overlay is the output's to paint over it).
    void Draw(CFaceRenderer& renderer, QSize framebuffer, const QRectF& viewport);
    // True when every face has its picture for the current time.
    bool IsFrameReady();

    // What the user does on the output window (canvas pixels).
    void PressOnCanvas(QPointF point, double handleRadius);
    void MoveOnCanvas(QPointF point);
    void ReleaseOnCanvas(QPointF point);
    void KeyPressed(int qtKey, bool ctrl);
    void WindowMinimised(bool minimised);

    // For the benchmark and the tests of the process.
    const CPlayClock& Clock() const { return m_clock; }
    CShowMedia& Media() { return m_media; }
    const CViewerScene& Scene() const { return m_scene; }
    CViewerChannel& Channel() { return m_channel; }

    // CViewerChannelOwner
    void LoadProject(const QString& projectXmlPath, const QString& workFolder) override;
    void ReloadTimes() override;
    void Play() override;
    void Pause() override;
    void Seek(int32_t time) override;
    void SetGuide(bool on) override;
    void SetLoop(bool on) override;
    void SetScreen(bool on, int32_t viewerMode) override;
    void Quit() override;
    void FaceData(int32_t kind, int32_t faceNo) override;
    bool GetFaceCorners(int32_t faceNo, FaceCorners& corners) override;
    void SetFaceCorners(int32_t faceNo, const FaceCorners& corners) override;
    QRect WindowRect() const override;
    int32_t PlaybackTime() override;

    // One pass of the poll: the block, the clock, the media. Public for the benchmark.
    void Tick();

signals:
    // Once per pass, after the block and the media were dealt with.
    void Ticked();

private:
    void UpdateCanvas();
    void TellFailures();
    void Finish();

    const ViewerOptions m_options;
    platform::CParentWatch m_parent;
    CViewerChannel m_channel;
    CViewerScene m_scene;
    CPlayClock m_clock;
    CShowMedia m_media;
    CGuideController m_guideController;
    std::unique_ptr<CViewerOutput> m_output;
    QTimer m_poll;
    QSize m_canvas;
    bool m_guide = false;
    int32_t m_selectedFace = 0;
    QString m_loadedProjectPath; // the project file the scene was last loaded from
    int m_viewerMode = 0;
    int32_t m_lastTime = -1;
    bool m_frameWasReady = false;
    bool m_finished = false;
};
