#pragma once

#include "viewer/cpu_blur.h"
#include "viewer/face_layer.h"
#include "viewer/face_shaders.h"
#include "viewer/filter_stage_plan.h"
#include "viewer/row_workers.h"

#include <QOpenGLExtraFunctions>
#include <QRect>
#include <QRectF>
#include <QSize>
#include <array>
#include <map>
#include <memory>
#include <optional>
#include <tuple>
#include <vector>

class QOpenGLShaderProgram;
class QPainter;

// Draws the show with OpenGL: every face's picture through one shader that maps each pixel of
// the output back onto the face by the inverse of the face's perspective (so the picture is
// exact for any quadrilateral, never two bent triangles), applies the item's effects, converts
// YUV planes to RGB, filters the colour and applies the mask. Filters that look at neighbouring
// texels (blur, sharpen, edges) are drawn first into a picture, once per new frame: of the
// frame's size, or for blur and sharpen of a half or a quarter of it when the face shows the
// picture at least that much smaller (the blur's radius shrinks with it, so the face looks the
// same); a blur of a frame in memory is worked out alike on the CPU by a few threads of the
// renderer's own and uploaded. Needs a current context with OpenGL 3.3; Mesa's software renderer
// will do.
class CFaceRenderer : protected QOpenGLExtraFunctions {
public:
    CFaceRenderer();
    ~CFaceRenderer();
    CFaceRenderer(const CFaceRenderer&) = delete;
    CFaceRenderer& operator=(const CFaceRenderer&) = delete;

    // Compiles the shaders in the current context; false (with the reason) when it cannot.
    bool Initialize();
    const QString& LastError() const { return m_lastError; }

    // Whether blurs of frames in memory are worked out on the CPU (the default) rather than by
    // the stage and blur passes: on a software renderer those passes cost more than the faces.
    void SetBlurOnCpu(bool onCpu) { m_blurOnCpu = onCpu; }

    // Draws the layers, in order, into the bound frame buffer of the given size: black, then
    // the canvas scaled into the viewport (frame buffer pixels, top-left origin).
    void Render(
        const std::vector<FaceLayer>& layers, QSize canvas, QSize framebuffer, const QRectF& viewport);

    // Releases the textures of faces that are not in the layers any more (call with the
    // context current).
    void ReleaseUnused(const std::vector<FaceLayer>& layers);

private:
    // Where a face's filtered picture lies on a page of an atlas: the pictures of every face
    // share a few large textures, so that each pass is drawn for all faces with one target, and
    // a software renderer, which finishes its work whenever the target changes, does so once a
    // pass rather than once a face.
    struct AtlasPlace {
        int page = -1; // -1: not placed
        QRect rect; // texels of the page, inside the one texel around it that repeats the edge
    };
    struct AtlasPage {
        std::array<GLuint, 3> textures {};
        QSize size;
    };
    // The stage atlas holds the stage, the blur across and the blur down of each face, the result
    // atlas the sharpened or edge picture.
    struct Atlas {
        int textureCount = 1;
        std::vector<AtlasPage> pages;
    };
    // A frame's picture after a neighbourhood filter, and what it was made from.
    struct FilteredPicture {
        AtlasPlace stage;
        AtlasPlace result;
        int margin = 0; // texels of the stage around the picture
        QRect region; // of the stage (its own texels) where the filtered picture was drawn
        int scale = 1; // picture texels per texel of the result
        uint64_t serial = 0;
        ItemFilter filter;
        bool made = false;
    };
    struct FaceTextures {
        GLuint planes[3] = { 0, 0, 0 };
        QSize sizes[3];
        bool rgba = false;
        uint64_t serial = 0;
        GLuint mask = 0;
        QSize maskSize;
        uint64_t maskKey = 0;
        FilteredPicture filtered;
    };

    void Upload(FaceTextures& textures, const CVideoFrame& frame);
    void UploadMask(FaceTextures& textures, const QImage& mask, uint64_t key);
    void UploadPlane(GLuint& texture, QSize& size, const CVideoFrame::Plane& plane, bool rgba);
    void DeleteTextures(FaceTextures& textures);
    // Binds the frame's planes to units 0..2 and sets the YUV uniforms of the program.
    void BindPicture(QOpenGLShaderProgram& program, const FaceTextures& textures, const CVideoFrame& frame);
    // The program of a face's combination, or of a filter pass for a picture format; made on
    // first use. nullptr when it does not compile.
    QOpenGLShaderProgram* FaceProgram(const FaceShaderKey& key);
    QOpenGLShaderProgram* FilterProgram(int format, int pass, int reach = 0, int scale = 1);
    std::unique_ptr<QOpenGLShaderProgram> Build(const QByteArray& fragment);
    // The passes that draw one face's filtered picture.
    struct FilterJob {
        size_t layer = 0;
        FaceTextures* textures = nullptr;
        const CVideoFrame* frame = nullptr;
        int format = 0; // of the filter programs
        ItemFilter filter;
        FilterStagePlan passes;
        // The stage's texels (its own coordinates, the texel around it included) to be drawn:
        // the part of a blur that the face can show, the whole for the other filters.
        QRect region;
    };
    // What the neighbourhood filter of a face needs, at 1 / scale of the frame's size or less;
    // nothing when the filter leaves the picture as it is or its programs do not compile.
    std::optional<FilterJob> PlanFilter(
        FaceTextures& textures, const CVideoFrame& frame, const ItemFilter& filter, int scale);
    // The texels of a blur's stage that the face can show under its effects (the stage's own
    // coordinates, the texel around it included), with what the face's samples read beside them.
    QRect BlurRegionShown(const FaceLayer& layer, const FilterJob& job);
    // Gives every planned face its places on the atlases, laid out anew (and every filtered
    // picture drawn again) when a face has none of its size yet.
    void PlaceFilteredPictures(const std::vector<FilterJob>& plans);
    void LayOut(Atlas& atlas, const std::vector<QSize>& sizes, const std::vector<AtlasPlace*>& places);
    void DeleteAtlas(Atlas& atlas);
    // Draws one step of the jobs' passes: 0 the stage, 1 the blur across, 2 the blur down, 3 the
    // sharpened or edge picture; each page's target is bound once for all its faces.
    void DrawFilterStep(const std::vector<FilterJob>& jobs, int step);
    void DrawFilterPass(const FilterJob& job, int step);
    // Works out a blur on the CPU and uploads it where the blur-down pass would have drawn it;
    // false (nothing done) for what only the passes draw.
    bool BlurOnCpu(const FilterJob& job);
    GLuint MakeTexture(QSize size, GLenum internalFormat);

    std::map<FaceShaderKey, std::unique_ptr<QOpenGLShaderProgram>> m_facePrograms;
    std::map<std::tuple<int, int, int, int>, std::unique_ptr<QOpenGLShaderProgram>> m_filterPrograms;
    GLuint m_filterFramebuffer = 0;
    Atlas m_stageAtlas { 3, {} };
    Atlas m_resultAtlas { 1, {} };
    int m_maxAtlasSide = 4096;
    GLuint m_vertexArray = 0;
    GLuint m_vertexBuffer = 0;
    std::map<int32_t, FaceTextures> m_textures;
    QString m_lastError;
    bool m_initialized = false;
    bool m_blurOnCpu = true;
    CpuBlurScratch m_cpuBlurScratch;
    std::vector<uint8_t> m_cpuBlurred;
    // Made with the first blur worked out on the CPU; its threads are joined with the renderer.
    std::unique_ptr<CRowWorkers> m_blurWorkers;
};

// The GUIDE overlay: each face's outline in its colour, its number in the middle and a handle
// on each corner (the selected face drawn stronger; locked faces without handles), drawn with
// the painter over the canvas placed in the viewport.
void PaintGuide(QPainter& painter, const std::vector<GuideFace>& faces, QSize canvas, const QRectF& viewport);

// The canvas radius of a corner handle as a user grabs it: a fixed size on screen.
double GuideHandleRadius(QSize canvas, const QRectF& viewport);
