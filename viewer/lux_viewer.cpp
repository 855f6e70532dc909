#include "viewer/lux_viewer.h"

#include "platform/known_folders.h"
#include "platform/number_text.h"
#include "platform/paths.h"
#include "platform/profile_file.h"
#include "viewer/face_geometry.h"
#include "viewer/face_renderer.h"
#include "viewer/output_layout.h"

#include <QCoreApplication>
#include <QPainter>
#include <QTextStream>

namespace {

int64_t ShowUs(const CPlayClock& clock)
{
    return clock.TimeUs();
}

} // namespace

std::optional<ViewerOptions> ViewerOptions::Parse(const QStringList& arguments, QString* error)
{
    ViewerOptions options;
    QStringList numbers = arguments;
    if (!numbers.isEmpty() && numbers.front() == QLatin1String("--headless")) {
        options.headless = true;
        numbers.pop_front();
    }
    if (numbers.size() != 4) {
        if (error)
            *error = QStringLiteral("usage: Luxviewer [--headless] x y width height");
        return std::nullopt;
    }
    int values[4];
    for (int i = 0; i < 4; ++i) {
        bool ok = false;
        values[i] = numbers[i].toInt(&ok);
        if (!ok) {
            if (error)
                *error = QStringLiteral("not a number: %1").arg(numbers[i]);
            return std::nullopt;
        }
    }
    if (values[2] <= 0 || values[3] <= 0) {
        if (error)
            *error = QStringLiteral("the window needs a width and a height");
        return std::nullopt;
    }
    options.rect = QRect(values[0], values[1], values[2], values[3]);
    return options;
}

int ViewerOptions::StartViewerMode()
{
    const platform::CProfileFile settings(platform::JoinPath(platform::SettingsFolder(), u"Kaleidra.ini"));
    return settings.Int(u"VIEWER", u"ViewerMode", 0) == 1 ? 1 : 0;
}

CLuxViewer::CLuxViewer(const ViewerOptions& options, PmParamBlock& block, QAudioDevice audioDevice)
    : m_options(options)
    , m_channel(block, *this)
    , m_media(std::move(audioDevice))
{
    m_poll.setTimerType(Qt::PreciseTimer);
    m_poll.setInterval(kPollIntervalMs);
    connect(&m_poll, &QTimer::timeout, this, &CLuxViewer::Tick);
}

CLuxViewer::~CLuxViewer() = default;

void CLuxViewer::Start(std::unique_ptr<CViewerOutput> output)
{
    m_output = std::move(output);
    UpdateCanvas();
    // Requests the editor raised before the viewer ran are taken at the first pass, which runs
    // from the event loop: the loop's start sets up the platform (on X, it may fork a helper to
    // find the session bus), and a child forked while decoding threads allocate may hang on
    // their locks before it can exec, and the loop with it. So no media thread starts before.
    QMetaObject::invokeMethod(this, &CLuxViewer::Tick, Qt::QueuedConnection);
    m_poll.start();
}

void CLuxViewer::Finish()
{
    if (m_finished)
        return;
    m_finished = true;
    m_poll.stop();
    QMetaObject::invokeMethod(
        QCoreApplication::instance(), [] { QCoreApplication::exit(0); }, Qt::QueuedConnection);
}

void CLuxViewer::Tick()
{
    if (m_finished)
        return;
    if (!m_parent.IsParentAlive()) {
        Finish();
        return;
    }
    if (!m_channel.Poll()) {
        Finish();
        return;
    }
    const bool playing = m_clock.IsPlaying();
    const int64_t showUs = ShowUs(m_clock);
    m_media.Update(m_scene, showUs, playing);
    TellFailures();
    // Drawn again while the show moves, while a camera is shown, and once more when the
    // pictures of a new time (a seek, a new project) have all arrived.
    const bool ready = m_media.IsReady(m_scene, showUs);
    const bool arrived = ready && !m_frameWasReady;
    m_frameWasReady = ready;
    if (playing || m_clock.Time() != m_lastTime || arrived || m_media.ShowsCamera(m_scene, showUs)) {
        m_lastTime = m_clock.Time();
        if (m_output)
            m_output->Refresh();
    }
    emit Ticked();
}

void CLuxViewer::TellFailures()
{
    const QStringList failed = m_media.TakeFailures();
    for (const QString& path : failed)
        m_channel.QueueReply(ViewerReply::Message(
            1, true, QStringLiteral("メディアファイルの読込みに失敗しました。\n%1").arg(path)));
}

void CLuxViewer::UpdateCanvas()
{
    const QSize display = m_output ? m_output->DisplaySize() : m_options.rect.size();
    const QSize canvas = CanvasSize(display, ResolutionModeOf(m_channel.ResoMode()));
    if (canvas == m_canvas)
        return;
    m_canvas = canvas;
    if (m_output)
        m_output->Refresh();
}

std::vector<FaceLayer> CLuxViewer::Layers()
{
    return m_media.Layers(m_scene, ShowUs(m_clock));
}

bool CLuxViewer::IsFrameReady()
{
    return m_media.IsReady(m_scene, ShowUs(m_clock));
}

std::vector<GuideFace> CLuxViewer::GuideFaces() const
{
    std::vector<GuideFace> faces;
    for (const tagTL_FACE_DATA& face : m_scene.Faces()) {
        GuideFace guide;
        guide.faceNo = face.No;
        guide.quad = FaceQuad(face);
        guide.color = QColor(face.R & 0xFF, face.G & 0xFF, face.B & 0xFF);
        guide.selected = face.No == m_selectedFace;
        guide.locked = face.Lock == 1;
        guide.shown = face.Status == 1;
        faces.push_back(std::move(guide));
    }
    return faces;
}

void CLuxViewer::Draw(CFaceRenderer& renderer, QSize framebuffer, const QRectF& viewport)
{
    const std::vector<FaceLayer> layers = Layers();
    renderer.Render(layers, m_canvas, framebuffer, viewport);
    renderer.ReleaseUnused(layers);
}

void CLuxViewer::PressOnCanvas(QPointF point, double handleRadius)
{
    if (!m_guide)
        return;
    std::vector<tagTL_FACE_DATA>& faces = m_scene.Faces();
    if (std::optional<ViewerReply> reply = m_guideController.Press(faces, point, handleRadius))
        m_channel.QueueReply(std::move(*reply));
}

void CLuxViewer::MoveOnCanvas(QPointF point)
{
    std::vector<tagTL_FACE_DATA>& faces = m_scene.Faces();
    if (m_guideController.Move(faces, point) && m_output)
        m_output->Refresh();
}

void CLuxViewer::ReleaseOnCanvas(QPointF point)
{
    std::vector<tagTL_FACE_DATA>& faces = m_scene.Faces();
    if (std::optional<ViewerReply> reply = m_guideController.Release(faces, point))
        m_channel.QueueReply(std::move(*reply));
    if (m_output)
        m_output->Refresh();
}

void CLuxViewer::KeyPressed(int qtKey, bool ctrl)
{
    if (const std::optional<int32_t> code = ViewerKeyCode(qtKey, ctrl))
        m_channel.QueueReply(ViewerReply::Key(*code));
}

void CLuxViewer::WindowMinimised(bool minimised)
{
    m_channel.QueueReply(ViewerReply::Minimised(minimised));
}

void CLuxViewer::LoadProject(const QString& projectXmlPath, const QString& workFolder)
{
    std::vector<tagTL_FACE_DATA>& faces = m_scene.Faces();
    m_guideController.Cancel(faces);
    m_media.Clear();
    // The editor reloads its project after face edits: a missing file of it is told once per
    // opening of the project, not at every reload.
    if (projectXmlPath != m_loadedProjectPath)
        m_media.ForgetToldFailures();
    m_loadedProjectPath = projectXmlPath;
    m_guide = false;
    m_selectedFace = 0;
    if (!m_scene.Load(projectXmlPath, workFolder)) {
        QTextStream(stderr) << "Luxviewer: " << m_scene.LastError() << Qt::endl;
        m_channel.QueueReply(ViewerReply::Message(
            2, true, QStringLiteral("プロジェクトの読込みに失敗しました。\n%1").arg(projectXmlPath)));
    }
    m_clock.Seek(m_scene.In());
    m_clock.SetRange(m_scene.In(), m_scene.Out());
    m_clock.SetLoop(m_scene.Loop());
    UpdateCanvas();
    if (m_output)
        m_output->Refresh();
}

void CLuxViewer::ReloadTimes()
{
    if (m_scene.ReloadTimes())
        m_clock.SetRange(m_scene.In(), m_scene.Out());
}

void CLuxViewer::Play()
{
    m_clock.Play(CPlayClock::Clock::now());
}

void CLuxViewer::Pause()
{
    m_clock.Pause(CPlayClock::Clock::now());
}

void CLuxViewer::Seek(int32_t time)
{
    m_clock.Seek(time);
}

void CLuxViewer::SetGuide(bool on)
{
    if (!on) {
        std::vector<tagTL_FACE_DATA>& faces = m_scene.Faces();
        m_guideController.Cancel(faces);
    }
    m_guide = on;
    if (m_output)
        m_output->Refresh();
}

void CLuxViewer::SetLoop(bool on)
{
    m_clock.SetLoop(on);
}

void CLuxViewer::SetScreen(bool on, int32_t viewerMode)
{
    m_viewerMode = viewerMode == 1 ? 1 : 0;
    UpdateCanvas();
    if (m_output)
        m_output->SetScreen(on, m_viewerMode);
    UpdateCanvas();
}

void CLuxViewer::Quit()
{
    Finish();
}

void CLuxViewer::FaceData(int32_t kind, int32_t faceNo)
{
    if (kind == kPmDataFaceSelected) {
        m_selectedFace = faceNo;
    } else {
        // Corners the user moved here and the editor has not taken yet stay as they are: the
        // files still hold the old ones.
        std::vector<std::pair<int32_t, FaceCorners>> kept;
        for (const tagTL_FACE_DATA& face : m_scene.Faces()) {
            if (m_channel.CornersPending(face.No) || face.No == m_guideController.DraggedFace())
                kept.emplace_back(face.No, FaceCornersOf(face));
        }
        if (!m_scene.ReloadFaces())
            QTextStream(stderr) << "Luxviewer: " << m_scene.LastError() << Qt::endl;
        for (const auto& [no, corners] : kept) {
            if (tagTL_FACE_DATA* face = m_scene.Face(no))
                ::SetFaceCorners(*face, corners);
        }
    }
    if (m_output)
        m_output->Refresh();
}

bool CLuxViewer::GetFaceCorners(int32_t faceNo, FaceCorners& corners)
{
    const tagTL_FACE_DATA* face = m_scene.Face(faceNo);
    if (!face)
        return false;
    corners = FaceCornersOf(*face);
    return true;
}

void CLuxViewer::SetFaceCorners(int32_t faceNo, const FaceCorners& corners)
{
    tagTL_FACE_DATA* face = m_scene.Face(faceNo);
    if (!face)
        return;
    if (m_guideController.DraggedFace() == faceNo) {
        std::vector<tagTL_FACE_DATA>& faces = m_scene.Faces();
        m_guideController.Cancel(faces);
        face = m_scene.Face(faceNo);
    }
    ::SetFaceCorners(*face, corners);
    if (m_output)
        m_output->Refresh();
}

QRect CLuxViewer::WindowRect() const
{
    return m_output ? m_output->WindowRect() : m_options.rect;
}

int32_t CLuxViewer::PlaybackTime()
{
    return m_clock.Advance(CPlayClock::Clock::now());
}
