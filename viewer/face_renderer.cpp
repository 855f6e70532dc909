#include "viewer/face_renderer.h"

#include "viewer/face_geometry.h"
#include "viewer/face_shaders.h"

#include <QFont>
#include <QOpenGLShaderProgram>
#include <QPainter>
#include <QPainterPath>
#include <QVector2D>
#include <QVector3D>
#include <QVector4D>
#include <algorithm>
#include <array>
#include <cmath>

namespace {

// How much smaller than the picture the passes of a neighbourhood filter may be drawn: the
// picture texels that fall on one output pixel of the face in each direction, at least, taken
// down to 1, 2 or 4.
int FilterScaleOf(const QPolygonF& quad, const FaceLayer& layer)
{
    const auto length = [](QPointF a, QPointF b) { return std::hypot(a.x() - b.x(), a.y() - b.y()); };
    const double across = std::max({ length(quad[0], quad[1]), length(quad[3], quad[2]), 1.0 });
    const double down = std::max({ length(quad[0], quad[3]), length(quad[1], quad[2]), 1.0 });
    const CVideoFrame::Plane& plane = layer.frame->planes[0];
    const bool turned = layer.frame->quarterTurns % 2 == 1;
    const double texelsAcross = (turned ? plane.height : plane.width) * layer.shownArea.width();
    const double texelsDown = (turned ? plane.width : plane.height) * layer.shownArea.height();
    const double ratio = std::min(texelsAcross / across, texelsDown / down);
    int scale = 1;
    while (scale < 4 && ratio >= 2.0 * scale)
        scale *= 2;
    return scale;
}

// The planes' point (0..1) of a point of the picture as shown, which a stored rotation turns by
// clockwise quarter turns.
QPointF Unturned(QPointF p, int quarterTurns)
{
    switch (quarterTurns % 4) {
    case 1:
        return QPointF(p.y(), 1.0 - p.x());
    case 2:
        return QPointF(1.0 - p.x(), 1.0 - p.y());
    case 3:
        return QPointF(1.0 - p.y(), p.x());
    default:
        return p;
    }
}

// Where a picture lies on its page of an atlas (0..1): its rectangle there without the margin.
QRectF PictureArea(const QRect& rect, int margin, QSize page)
{
    return QRectF(double(rect.x() + margin) / page.width(), double(rect.y() + margin) / page.height(),
        double(rect.width() - 2 * margin) / page.width(), double(rect.height() - 2 * margin) / page.height());
}

void SetFilteredArea(QOpenGLShaderProgram& program, const QRectF& area)
{
    program.setUniformValue("uFilteredArea",
        QVector4D(float(area.x()), float(area.y()), float(area.width()), float(area.height())));
}

} // namespace

CFaceRenderer::CFaceRenderer() = default;

CFaceRenderer::~CFaceRenderer()
{
    // The owner destroys the renderer with its context current, or after the context went,
    // when nothing can be released any more.
    if (m_initialized && QOpenGLContext::currentContext()) {
        for (auto& [faceNo, textures] : m_textures)
            DeleteTextures(textures);
        DeleteAtlas(m_stageAtlas);
        DeleteAtlas(m_resultAtlas);
        glDeleteBuffers(1, &m_vertexBuffer);
        glDeleteVertexArrays(1, &m_vertexArray);
        glDeleteFramebuffers(1, &m_filterFramebuffer);
    }
}

bool CFaceRenderer::Initialize()
{
    if (m_initialized)
        return true;
    if (!QOpenGLContext::currentContext()) {
        m_lastError = QStringLiteral("no OpenGL context");
        return false;
    }
    initializeOpenGLFunctions();
    // A program of the plainest kind shows at once whether the shaders compile here.
    if (!FaceProgram(FaceShaderKey()))
        return false;
    glGenVertexArrays(1, &m_vertexArray);
    glGenBuffers(1, &m_vertexBuffer);
    glGenFramebuffers(1, &m_filterFramebuffer);
    GLint maxTextureSize = 0;
    glGetIntegerv(GL_MAX_TEXTURE_SIZE, &maxTextureSize);
    m_maxAtlasSide = std::clamp(int(maxTextureSize), 2048, 8192);
    m_initialized = true;
    return true;
}

void CFaceRenderer::UploadPlane(GLuint& texture, QSize& size, const CVideoFrame::Plane& plane, bool rgba)
{
    const int bytesPerPixel = rgba ? 4 : 1;
    if (!texture) {
        glGenTextures(1, &texture);
        glBindTexture(GL_TEXTURE_2D, texture);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
    } else {
        glBindTexture(GL_TEXTURE_2D, texture);
    }
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    glPixelStorei(GL_UNPACK_ROW_LENGTH, plane.stride / bytesPerPixel);
    const GLenum format = rgba ? GL_RGBA : GL_RED;
    const GLenum internal = rgba ? GL_RGBA8 : GL_R8;
    const QSize planeSize(plane.width, plane.height);
    if (size != planeSize) {
        glTexImage2D(GL_TEXTURE_2D, 0, GLint(internal), plane.width, plane.height, 0, format,
            GL_UNSIGNED_BYTE, plane.data);
        size = planeSize;
    } else {
        glTexSubImage2D(
            GL_TEXTURE_2D, 0, 0, 0, plane.width, plane.height, format, GL_UNSIGNED_BYTE, plane.data);
    }
    // Back to OpenGL's defaults: a QPainter drawing over the frame uploads its glyphs with them.
    glPixelStorei(GL_UNPACK_ROW_LENGTH, 0);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 4);
}

void CFaceRenderer::Upload(FaceTextures& textures, const CVideoFrame& frame)
{
    if (textures.serial == frame.serial)
        return;
    const bool rgba = frame.format == CVideoFrame::Format::Rgba;
    if (rgba != textures.rgba) {
        // The textures of the other layout are of no use: they are made anew.
        glDeleteTextures(3, textures.planes);
        for (int i = 0; i < 3; ++i) {
            textures.planes[i] = 0;
            textures.sizes[i] = {};
        }
        textures.rgba = rgba;
    }
    for (int i = 0; i < (rgba ? 1 : 3); ++i)
        UploadPlane(textures.planes[i], textures.sizes[i], frame.planes[size_t(i)], rgba);
    textures.serial = frame.serial;
}

void CFaceRenderer::UploadMask(FaceTextures& textures, const QImage& mask, uint64_t key)
{
    if (textures.maskKey == key && textures.mask)
        return;
    CVideoFrame::Plane plane { mask.constBits(), int(mask.bytesPerLine()), mask.width(), mask.height() };
    UploadPlane(textures.mask, textures.maskSize, plane, false);
    textures.maskKey = key;
}

void CFaceRenderer::DeleteTextures(FaceTextures& textures)
{
    glDeleteTextures(3, textures.planes);
    if (textures.mask)
        glDeleteTextures(1, &textures.mask);
    textures = FaceTextures();
}

std::unique_ptr<QOpenGLShaderProgram> CFaceRenderer::Build(const QByteArray& fragment)
{
    auto program = std::make_unique<QOpenGLShaderProgram>();
    program->bindAttributeLocation("aPosition", 0);
    if (!program->addShaderFromSourceCode(QOpenGLShader::Vertex, kFaceVertexShader)
        || !program->addShaderFromSourceCode(QOpenGLShader::Fragment, fragment) || !program->link()) {
        m_lastError = program->log();
        return nullptr;
    }
    program->bind();
    program->setUniformValue("uPlane0", 0);
    program->setUniformValue("uPlane1", 1);
    program->setUniformValue("uPlane2", 2);
    program->setUniformValue("uMask", 3);
    program->setUniformValue("uStage", 4);
    program->release();
    return program;
}

QOpenGLShaderProgram* CFaceRenderer::FaceProgram(const FaceShaderKey& key)
{
    auto& program = m_facePrograms[key];
    if (!program)
        program = Build(FaceFragmentShader(key));
    return program.get();
}

QOpenGLShaderProgram* CFaceRenderer::FilterProgram(int format, int pass, int reach, int scale)
{
    format = format == 1 ? 1 : 0;
    auto& program = m_filterPrograms[{ format, pass, reach, scale }];
    if (!program)
        program = Build(FilterFragmentShader(format, pass, reach, scale));
    return program.get();
}

GLuint CFaceRenderer::MakeTexture(QSize size, GLenum internalFormat)
{
    GLuint texture = 0;
    glGenTextures(1, &texture);
    glBindTexture(GL_TEXTURE_2D, texture);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
    glTexImage2D(
        GL_TEXTURE_2D, 0, GLint(internalFormat), size.width(), size.height(), 0, GL_RGBA, GL_FLOAT, nullptr);
    return texture;
}

void CFaceRenderer::BindPicture(
    QOpenGLShaderProgram& program, const FaceTextures& textures, const CVideoFrame& frame)
{
    const bool yuv = frame.format == CVideoFrame::Format::Yuv;
    if (yuv) {
        std::array<float, 3> offset {};
        const std::array<float, 9> matrix = YuvMatrix(frame, offset);
        glUniformMatrix3fv(program.uniformLocation("uYuvMatrix"), 1, GL_FALSE, matrix.data());
        program.setUniformValue("uYuvOffset", QVector3D(offset[0], offset[1], offset[2]));
    }
    for (int i = 0; i < (yuv ? 3 : 1); ++i) {
        glActiveTexture(GL_TEXTURE0 + GLenum(i));
        glBindTexture(GL_TEXTURE_2D, textures.planes[i]);
    }
    glActiveTexture(GL_TEXTURE0);
}

std::optional<CFaceRenderer::FilterJob> CFaceRenderer::PlanFilter(
    FaceTextures& textures, const CVideoFrame& frame, const ItemFilter& filter, int scale)
{
    const std::optional<FilterStagePlan> plan
        = PlanFilterStage(filter, QSize(frame.planes[0].width, frame.planes[0].height), scale);
    if (!plan)
        return std::nullopt;
    const int format = frame.format == CVideoFrame::Format::Yuv ? 1 : 0;
    if (!FilterProgram(format, 4, 0, plan->stageScale))
        return std::nullopt;
    FilterJob job;
    job.textures = &textures;
    job.frame = &frame;
    job.format = format;
    job.filter = filter;
    job.passes = *plan;
    job.region = QRect(QPoint(-1, -1), plan->stageSize + QSize(2, 2));
    return job;
}

QRect CFaceRenderer::BlurRegionShown(const FaceLayer& layer, const FilterJob& job)
{
    // The part of the display area the effects leave, in the planes' coordinates (0..1).
    ItemEffects effects;
    effects.entry = layer.entry;
    effects.exit = layer.exit;
    const QRectF part = ShownPartOfPicture(effects, layer.aspect);
    const QRectF& shown = layer.shownArea;
    const QPointF first(shown.x() + part.left() * shown.width(), shown.y() + part.top() * shown.height());
    const QPointF last(shown.x() + part.right() * shown.width(), shown.y() + part.bottom() * shown.height());
    const QRectF planes
        = QRectF(Unturned(first, layer.frame->quarterTurns), Unturned(last, layer.frame->quarterTurns))
              .normalized();
    // In texels of the stage, with two beside them for the face's bilinear samples.
    const double across = layer.frame->planes[0].width / job.passes.blockAcross;
    const double down = layer.frame->planes[0].height / job.passes.blockDown;
    const QPoint topLeft(int(std::floor(planes.left() * across)) + job.passes.margin - 2,
        int(std::floor(planes.top() * down)) + job.passes.margin - 2);
    const QPoint bottomRight(int(std::ceil(planes.right() * across)) + job.passes.margin + 1,
        int(std::ceil(planes.bottom() * down)) + job.passes.margin + 1);
    return QRect(topLeft, bottomRight).intersected(job.region);
}

void CFaceRenderer::PlaceFilteredPictures(const std::vector<FilterJob>& plans)
{
    const bool placed = std::all_of(plans.begin(), plans.end(), [](const FilterJob& plan) {
        const FilteredPicture& filtered = plan.textures->filtered;
        return filtered.stage.page >= 0 && filtered.stage.rect.size() == plan.passes.stageSize
            && (plan.passes.resultSize.isEmpty()
                || (filtered.result.page >= 0 && filtered.result.rect.size() == plan.passes.resultSize));
    });
    if (placed)
        return;
    for (auto& [faceNo, textures] : m_textures)
        textures.filtered = FilteredPicture();
    std::vector<QSize> stageSizes;
    std::vector<AtlasPlace*> stagePlaces;
    std::vector<QSize> resultSizes;
    std::vector<AtlasPlace*> resultPlaces;
    for (const FilterJob& plan : plans) {
        stageSizes.push_back(plan.passes.stageSize);
        stagePlaces.push_back(&plan.textures->filtered.stage);
        if (!plan.passes.resultSize.isEmpty()) {
            resultSizes.push_back(plan.passes.resultSize);
            resultPlaces.push_back(&plan.textures->filtered.result);
        }
    }
    LayOut(m_stageAtlas, stageSizes, stagePlaces);
    LayOut(m_resultAtlas, resultSizes, resultPlaces);
}

void CFaceRenderer::LayOut(
    Atlas& atlas, const std::vector<QSize>& sizes, const std::vector<AtlasPlace*>& places)
{
    // Rows of pictures, the tallest first, each picture with a texel around it; a new page when
    // a page would grow beyond the largest texture. A picture larger than that is not placed.
    std::vector<size_t> order(sizes.size());
    for (size_t i = 0; i < order.size(); ++i)
        order[i] = i;
    std::stable_sort(order.begin(), order.end(),
        [&sizes](size_t a, size_t b) { return sizes[a].height() > sizes[b].height(); });
    std::vector<QSize> pageSizes;
    QPoint next(0, 0);
    int rowHeight = 0;
    for (size_t i : order) {
        const QSize padded = sizes[i] + QSize(2, 2);
        if (padded.width() > m_maxAtlasSide || padded.height() > m_maxAtlasSide) {
            *places[i] = AtlasPlace();
            continue;
        }
        if (pageSizes.empty())
            pageSizes.emplace_back(0, 0);
        if (next.x() + padded.width() > m_maxAtlasSide) {
            next = QPoint(0, next.y() + rowHeight);
            rowHeight = 0;
        }
        if (next.y() + padded.height() > m_maxAtlasSide) {
            pageSizes.emplace_back(0, 0);
            next = QPoint(0, 0);
            rowHeight = 0;
        }
        *places[i] = AtlasPlace { int(pageSizes.size()) - 1, QRect(next + QPoint(1, 1), sizes[i]) };
        QSize& page = pageSizes.back();
        page = page.expandedTo(QSize(next.x() + padded.width(), next.y() + padded.height()));
        next.rx() += padded.width();
        rowHeight = std::max(rowHeight, padded.height());
    }
    // Pages of an unchanged size keep their textures.
    for (size_t p = pageSizes.size(); p < atlas.pages.size(); ++p)
        glDeleteTextures(atlas.textureCount, atlas.pages[p].textures.data());
    atlas.pages.resize(pageSizes.size());
    for (size_t p = 0; p < pageSizes.size(); ++p) {
        AtlasPage& page = atlas.pages[p];
        if (page.size == pageSizes[p])
            continue;
        if (page.textures[0])
            glDeleteTextures(atlas.textureCount, page.textures.data());
        for (int t = 0; t < atlas.textureCount; ++t)
            page.textures[size_t(t)] = MakeTexture(pageSizes[p], GL_RGBA8);
        page.size = pageSizes[p];
    }
}

void CFaceRenderer::DeleteAtlas(Atlas& atlas)
{
    for (AtlasPage& page : atlas.pages) {
        if (page.textures[0])
            glDeleteTextures(atlas.textureCount, page.textures.data());
    }
    atlas.pages.clear();
}

void CFaceRenderer::DrawFilterStep(const std::vector<FilterJob>& jobs, int step)
{
    const Atlas& atlas = step == 3 ? m_resultAtlas : m_stageAtlas;
    for (size_t p = 0; p < atlas.pages.size(); ++p) {
        bool bound = false;
        for (const FilterJob& job : jobs) {
            const FilteredPicture& filtered = job.textures->filtered;
            const bool blurs = job.filter.kind == FilterKind::Blur || job.filter.kind == FilterKind::Sharpen;
            if (((step == 1 || step == 2) && !blurs) || (step == 3 && job.filter.kind == FilterKind::Blur))
                continue;
            if ((step == 3 ? filtered.result.page : filtered.stage.page) != int(p))
                continue;
            if (!bound) {
                const GLuint target = atlas.pages[p].textures[size_t(step == 3 ? 0 : step)];
                glFramebufferTexture2D(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D, target, 0);
                glViewport(0, 0, atlas.pages[p].size.width(), atlas.pages[p].size.height());
                bound = true;
            }
            DrawFilterPass(job, step);
        }
    }
}

void CFaceRenderer::DrawFilterPass(const FilterJob& job, int step)
{
    const FilteredPicture& filtered = job.textures->filtered;
    const int pass = step == 0 ? 4 : step < 3 ? step - 1 : job.filter.kind == FilterKind::Sharpen ? 2 : 3;
    const int passScale = pass == 4 ? job.passes.stageScale : pass == 2 ? job.passes.scale : 1;
    QOpenGLShaderProgram* passProgram
        = FilterProgram(job.format, pass, pass < 2 ? job.passes.reach : 0, passScale);
    if (!passProgram)
        return;
    QOpenGLShaderProgram& program = *passProgram;
    program.bind();
    BindPicture(program, *job.textures, *job.frame);
    const AtlasPage& stagePage = m_stageAtlas.pages[size_t(filtered.stage.page)];
    const GLuint input[] = { 0, stagePage.textures[0], stagePage.textures[1],
        job.filter.kind == FilterKind::Sharpen ? stagePage.textures[2] : stagePage.textures[0] };
    glActiveTexture(GL_TEXTURE4);
    glBindTexture(GL_TEXTURE_2D, input[step]);
    glActiveTexture(GL_TEXTURE0);
    const QRect stage = filtered.stage.rect;
    const QRect target = step == 3 ? filtered.result.rect : stage;
    glUniform4i(program.uniformLocation("uTarget"), target.x(), target.y(), target.width(), target.height());
    glUniform4i(program.uniformLocation("uStageRect"), stage.x(), stage.y(), stage.width(), stage.height());
    if (step == 0) {
        // The picture once into the stage: no later pass converts the movie's planes per tap.
        program.setUniformValue(
            "uBlock", QVector2D(float(job.passes.blockAcross), float(job.passes.blockDown)));
        program.setUniformValue("uMargin", job.passes.margin);
    } else if (step == 1 || step == 2) {
        const std::array<GLfloat, kMaxSharpenReach + 1> weights = BlurWeights(job.passes.radius,
            job.passes.reach, step == 1 ? job.passes.blockAcross : job.passes.blockDown,
            double(job.passes.stageScale), double(job.passes.scale));
        glUniform1fv(program.uniformLocation("uWeights"), GLsizei(weights.size()), weights.data());
    } else if (job.filter.kind == FilterKind::Sharpen) {
        SetFilteredArea(program, PictureArea(stage, job.passes.margin, stagePage.size));
        program.setUniformValue("uStrength", job.filter.params[0] / 100.0f);
    } else {
        program.setUniformValue("uStrength", job.filter.params[0] / 100.0f);
        program.setUniformValue("uInvert", job.filter.params[1] == 1.0f ? 1 : 0);
    }
    // The target's rectangle and the texel around it, which repeats the edge: a face that
    // shows the picture bilinearly up to its edge reads it there. A blur is drawn where the face
    // can show it, each pass before the last over as much more as the next one reaches.
    QRect drawn = target.adjusted(-1, -1, 1, 1);
    if (step < 3) {
        const int reach = step == 2 ? 0 : job.passes.reach;
        const QRect part = job.region.adjusted(step == 0 ? -reach : 0, -reach, step == 0 ? reach : 0, reach);
        drawn = part.translated(stage.topLeft()).intersected(drawn);
    }
    const QSize page = step == 3 ? m_resultAtlas.pages[size_t(filtered.result.page)].size : stagePage.size;
    const GLfloat x0 = GLfloat(drawn.x());
    const GLfloat y0 = GLfloat(drawn.y());
    const GLfloat x1 = GLfloat(drawn.x() + drawn.width());
    const GLfloat y1 = GLfloat(drawn.y() + drawn.height());
    const GLfloat vertices[8] = { x0, y0, x1, y0, x1, y1, x0, y1 };
    program.setUniformValue("uFramebuffer", QVector2D(GLfloat(page.width()), GLfloat(page.height())));
    glBufferData(GL_ARRAY_BUFFER, sizeof(vertices), vertices, GL_STREAM_DRAW);
    glDrawArrays(GL_TRIANGLE_FAN, 0, 4);
}

bool CFaceRenderer::BlurOnCpu(const FilterJob& job)
{
    if (!m_blurOnCpu || job.filter.kind != FilterKind::Blur || !CanBlurOnCpu(*job.frame))
        return false;
    const FilteredPicture& filtered = job.textures->filtered;
    const QRect region = CpuBlurRegion(job.passes, job.region);
    if (region.isEmpty())
        return true;
    if (!m_blurWorkers) {
        // A few threads beside this one: the decoders and the renderer need the other cores.
        const int cores = int(std::thread::hardware_concurrency());
        m_blurWorkers = std::make_unique<CRowWorkers>(std::clamp(cores / 2 - 1, 0, 3));
    }
    ::BlurOnCpu(*job.frame, job.passes, region, *m_blurWorkers, m_cpuBlurScratch, m_cpuBlurred);
    // Into the texture the face shows a blur from, where the blur-down pass would draw.
    const AtlasPage& page = m_stageAtlas.pages[size_t(filtered.stage.page)];
    const QPoint at = filtered.stage.rect.topLeft() + region.topLeft();
    glBindTexture(GL_TEXTURE_2D, page.textures[2]);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 4);
    glPixelStorei(GL_UNPACK_ROW_LENGTH, 0);
    glTexSubImage2D(GL_TEXTURE_2D, 0, at.x(), at.y(), region.width(), region.height(), GL_RGBA,
        GL_UNSIGNED_BYTE, m_cpuBlurred.data());
    glBindTexture(GL_TEXTURE_2D, 0);
    return true;
}

void CFaceRenderer::ReleaseUnused(const std::vector<FaceLayer>& layers)
{
    if (!m_initialized)
        return;
    for (auto entry = m_textures.begin(); entry != m_textures.end();) {
        const int32_t faceNo = entry->first;
        const bool used = std::any_of(layers.begin(), layers.end(),
            [faceNo](const FaceLayer& layer) { return layer.faceNo == faceNo && layer.frame; });
        if (used) {
            ++entry;
            continue;
        }
        DeleteTextures(entry->second);
        entry = m_textures.erase(entry);
    }
}

void CFaceRenderer::Render(
    const std::vector<FaceLayer>& layers, QSize canvas, QSize framebuffer, const QRectF& viewport)
{
    glDisable(GL_DEPTH_TEST);
    glDisable(GL_SCISSOR_TEST);
    if (canvas.isEmpty() || viewport.isEmpty()) {
        glViewport(0, 0, framebuffer.width(), framebuffer.height());
        glClearColor(0, 0, 0, 1);
        glClear(GL_COLOR_BUFFER_BIT);
        return;
    }

    const double scale = viewport.width() / canvas.width();
    // Canvas pixels (top-left origin) to frame buffer pixels (bottom-left origin).
    const auto toFramebuffer = [&](QPointF point) {
        return QPointF(
            viewport.x() + point.x() * scale, framebuffer.height() - (viewport.y() + point.y() * scale));
    };

    // Every program takes its positions from attribute 0 of this buffer.
    glBindVertexArray(m_vertexArray);
    glBindBuffer(GL_ARRAY_BUFFER, m_vertexBuffer);
    glEnableVertexAttribArray(0);
    glVertexAttribPointer(0, 2, GL_FLOAT, GL_FALSE, 0, nullptr);

    // Pictures first: uploads and the filters' own passes, before the frame is begun.
    std::vector<GLuint> filteredTextures(layers.size(), 0);
    std::vector<QRectF> filteredAreas(layers.size());
    std::vector<FilterJob> plans;
    for (size_t i = 0; i < layers.size(); ++i) {
        const FaceLayer& layer = layers[i];
        if (!layer.frame)
            continue;
        FaceTextures& textures = m_textures[layer.faceNo];
        Upload(textures, *layer.frame);
        if (layer.mask && !layer.mask->isNull())
            UploadMask(textures, *layer.mask, layer.maskKey);
        if (IsNeighbourhoodFilter(layer.filter.kind) && layer.quad.size() == 4) {
            QPolygonF quad;
            for (const QPointF& corner : layer.quad)
                quad << toFramebuffer(corner);
            if (std::optional<FilterJob> plan
                = PlanFilter(textures, *layer.frame, layer.filter, FilterScaleOf(quad, layer))) {
                plan->layer = i;
                if (layer.filter.kind == FilterKind::Blur)
                    plan->region = BlurRegionShown(layer, *plan);
                plans.push_back(*plan);
            }
        }
    }
    PlaceFilteredPictures(plans);
    // The filtered pictures are drawn again when the frame or the filter changed.
    std::vector<FilterJob> filterJobs;
    for (const FilterJob& plan : plans) {
        FilteredPicture& filtered = plan.textures->filtered;
        const bool shownFromStage = plan.passes.resultSize.isEmpty();
        const AtlasPlace& shown = shownFromStage ? filtered.stage : filtered.result;
        if (filtered.stage.page < 0 || shown.page < 0)
            continue;
        const bool sameFrame = filtered.made && filtered.serial == plan.frame->serial
            && filtered.scale == plan.passes.scale && filtered.filter.kind == plan.filter.kind
            && filtered.filter.params == plan.filter.params;
        if (!sameFrame || !filtered.region.contains(plan.region)) {
            FilterJob job = plan;
            // The part shown of a frame already drawn grew (an effect goes on over a picture):
            // the whole of it, once.
            if (sameFrame)
                job.region = QRect(QPoint(-1, -1), plan.passes.stageSize + QSize(2, 2));
            filterJobs.push_back(job);
            filtered.region = job.region;
            filtered.made = true;
            filtered.serial = plan.frame->serial;
            filtered.scale = plan.passes.scale;
            filtered.filter = plan.filter;
            filtered.margin = plan.passes.margin;
        }
        const Atlas& atlas = shownFromStage ? m_stageAtlas : m_resultAtlas;
        const AtlasPage& page = atlas.pages[size_t(shown.page)];
        filteredTextures[plan.layer] = page.textures[shownFromStage ? 2 : 0];
        filteredAreas[plan.layer] = PictureArea(shown.rect, shownFromStage ? filtered.margin : 0, page.size);
    }
    // Blurs are worked out on the CPU where they can be; the passes draw the rest.
    std::erase_if(filterJobs, [this](const FilterJob& job) { return BlurOnCpu(job); });
    if (!filterJobs.empty()) {
        GLint previousFramebuffer = 0;
        glGetIntegerv(GL_FRAMEBUFFER_BINDING, &previousFramebuffer);
        glBindFramebuffer(GL_FRAMEBUFFER, m_filterFramebuffer);
        glDisable(GL_BLEND);
        for (int step = 0; step < 4; ++step)
            DrawFilterStep(filterJobs, step);
        glActiveTexture(GL_TEXTURE4);
        glBindTexture(GL_TEXTURE_2D, 0);
        glActiveTexture(GL_TEXTURE0);
        glUseProgram(0);
        glBindFramebuffer(GL_FRAMEBUFFER, GLuint(previousFramebuffer));
    }

    glViewport(0, 0, framebuffer.width(), framebuffer.height());
    glClearColor(0, 0, 0, 1);
    glClear(GL_COLOR_BUFFER_BIT);
    glEnable(GL_BLEND);
    glBlendFunc(GL_ONE, GL_ONE_MINUS_SRC_ALPHA);

    for (size_t i = 0; i < layers.size(); ++i) {
        const FaceLayer& layer = layers[i];
        if (!layer.frame || layer.quad.size() != 4)
            continue;
        QPolygonF quad;
        for (const QPointF& corner : layer.quad)
            quad << toFramebuffer(corner);
        const std::optional<QTransform> toFace = QuadToUnitSquare(quad);
        if (!toFace)
            continue;
        const FaceTextures& textures = m_textures[layer.faceNo];
        const bool hasMask = layer.mask && !layer.mask->isNull();
        FaceShaderKey key;
        key.format = filteredTextures[i] ? 2 : layer.frame->format == CVideoFrame::Format::Yuv ? 1 : 0;
        key.inPattern = layer.entry ? int(layer.entry->pattern) : 0;
        key.outPattern = layer.exit ? int(layer.exit->pattern) : 0;
        // Neighbourhood filters are in the picture already; the others are the program's.
        key.filter = IsNeighbourhoodFilter(layer.filter.kind) ? 0 : int(layer.filter.kind);
        key.hasMask = hasMask;
        QOpenGLShaderProgram* program = FaceProgram(key);
        if (!program)
            continue;
        // A face that covers what lies under it wholly needs no blending, which a software
        // renderer pays for with a read of every pixel: a movie frame (or its filtered picture)
        // without a mask, a colour key or an effect that makes it see-through.
        const auto seeThrough = [](const std::optional<ActiveEffect>& effect) {
            return effect
                && (effect->pattern == EffectPattern::Fade || effect->pattern == EffectPattern::Zoom);
        };
        const bool opaque = layer.frame->format == CVideoFrame::Format::Yuv && !hasMask
            && layer.filter.kind != FilterKind::ColourKey && !seeThrough(layer.entry)
            && !seeThrough(layer.exit);
        if (opaque)
            glDisable(GL_BLEND);
        else
            glEnable(GL_BLEND);
        program->bind();
        program->setUniformValue("uFramebuffer", QVector2D(framebuffer.width(), framebuffer.height()));
        const QTransform& t = *toFace;
        const GLfloat toFaceMatrix[9]
            = { GLfloat(t.m11()), GLfloat(t.m12()), GLfloat(t.m13()), GLfloat(t.m21()), GLfloat(t.m22()),
                  GLfloat(t.m23()), GLfloat(t.m31()), GLfloat(t.m32()), GLfloat(t.m33()) };
        glUniformMatrix3fv(program->uniformLocation("uToFace"), 1, GL_FALSE, toFaceMatrix);
        program->setUniformValue("uShown",
            QVector4D(float(layer.shownArea.x()), float(layer.shownArea.y()), float(layer.shownArea.width()),
                float(layer.shownArea.height())));
        if (filteredTextures[i]) {
            // A blur is shown from its reduced stage, the other filters from their result.
            SetFilteredArea(*program, filteredAreas[i]);
            glBindTexture(GL_TEXTURE_2D, filteredTextures[i]);
        } else
            BindPicture(*program, textures, *layer.frame);
        if (hasMask) {
            glActiveTexture(GL_TEXTURE3);
            glBindTexture(GL_TEXTURE_2D, textures.mask);
            glActiveTexture(GL_TEXTURE0);
        }
        program->setUniformValue("uInDirection", layer.entry ? int(layer.entry->direction) : 0);
        program->setUniformValue("uInProgress", layer.entry ? float(layer.entry->progress) : 0.0f);
        program->setUniformValue("uOutDirection", layer.exit ? int(layer.exit->direction) : 0);
        program->setUniformValue("uOutProgress", layer.exit ? float(layer.exit->progress) : 0.0f);
        program->setUniformValue("uAspect", float(layer.aspect > 0 ? layer.aspect : 1.0));
        program->setUniformValue("uTurns", layer.frame->quarterTurns);
        glUniform1fv(program->uniformLocation("uParams"), GLsizei(layer.filter.params.size()),
            layer.filter.params.data());

        GLfloat vertices[8];
        for (int c = 0; c < 4; ++c) {
            vertices[2 * c] = GLfloat(quad[c].x());
            vertices[2 * c + 1] = GLfloat(quad[c].y());
        }
        glBufferData(GL_ARRAY_BUFFER, sizeof(vertices), vertices, GL_STREAM_DRAW);
        glDrawArrays(GL_TRIANGLE_FAN, 0, 4);
        program->release();
    }
    for (int unit = 3; unit >= 0; --unit) {
        glActiveTexture(GL_TEXTURE0 + GLenum(unit));
        glBindTexture(GL_TEXTURE_2D, 0);
    }
    glDisableVertexAttribArray(0);
    glBindBuffer(GL_ARRAY_BUFFER, 0);
    glBindVertexArray(0);
    glDisable(GL_BLEND);
}

double GuideHandleRadius(QSize canvas, const QRectF& viewport)
{
    constexpr double kHandleScreenPixels = 10.0;
    if (canvas.isEmpty() || viewport.isEmpty())
        return kHandleScreenPixels;
    return kHandleScreenPixels * canvas.width() / viewport.width();
}

void PaintGuide(QPainter& painter, const std::vector<GuideFace>& faces, QSize canvas, const QRectF& viewport)
{
    if (canvas.isEmpty() || viewport.isEmpty())
        return;
    const double scale = viewport.width() / canvas.width();
    const auto toView = [&](QPointF point) { return viewport.topLeft() + point * scale; };
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setClipRect(viewport);
    QFont font = painter.font();
    font.setBold(true);
    font.setPixelSize(18);
    painter.setFont(font);
    for (const GuideFace& face : faces) {
        QPolygonF quad;
        for (const QPointF& corner : face.quad)
            quad << toView(corner);
        const QColor color = face.color.isValid() ? face.color : QColor(Qt::white);
        QPen outline(face.selected ? QColor(Qt::white) : color, face.selected ? 3.0 : 2.0);
        if (!face.shown)
            outline.setStyle(Qt::DashLine);
        // A face whose corners fold shows its outline in red: it cannot be drawn.
        if (!IsConvexQuad(face.quad))
            outline.setColor(Qt::red);
        painter.setPen(outline);
        painter.setBrush(Qt::NoBrush);
        painter.drawPolygon(quad);
        if (face.selected) {
            painter.setPen(QPen(color, 1.0));
            painter.drawPolygon(quad);
        }
        const QPointF centre = (quad[0] + quad[1] + quad[2] + quad[3]) / 4.0;
        const QString number = QString::number(face.faceNo);
        const QRectF label(centre - QPointF(24, 14), QSizeF(48, 28));
        painter.setPen(Qt::NoPen);
        painter.setBrush(QColor(0, 0, 0, 160));
        painter.drawRoundedRect(label, 4, 4);
        painter.setPen(face.selected ? QColor(Qt::white) : color);
        painter.drawText(label, Qt::AlignCenter, number);
        if (face.locked)
            continue;
        for (const QPointF& corner : quad) {
            const QRectF handle(corner - QPointF(5, 5), QSizeF(10, 10));
            painter.setPen(QPen(Qt::black, 1.0));
            painter.setBrush(face.selected ? QColor(Qt::white) : color);
            painter.drawRect(handle);
        }
    }
    painter.restore();
}
