#include "viewer/video_frame.h"

#include <atomic>

uint64_t CVideoFrame::NextSerial()
{
    static std::atomic<uint64_t> serial { 0 };
    return ++serial;
}

VideoFramePtr CVideoFrame::FromImage(QImage image)
{
    if (image.isNull())
        return nullptr;
    if (image.format() != QImage::Format_RGBA8888)
        image = image.convertToFormat(QImage::Format_RGBA8888);
    auto frame = std::make_shared<CVideoFrame>();
    auto held = std::make_shared<const QImage>(std::move(image));
    frame->format = Format::Rgba;
    frame->width = held->width();
    frame->height = held->height();
    frame->planes[0] = { held->constBits(), int(held->bytesPerLine()), held->width(), held->height() };
    frame->serial = NextSerial();
    frame->owner = held;
    return frame;
}

std::array<float, 9> YuvMatrix(const CVideoFrame& frame, std::array<float, 3>& offset)
{
    double kr = 0.2126;
    double kb = 0.0722;
    if (frame.matrix == CVideoFrame::Matrix::Bt601) {
        kr = 0.299;
        kb = 0.114;
    } else if (frame.matrix == CVideoFrame::Matrix::Bt2020) {
        kr = 0.2627;
        kb = 0.0593;
    }
    const double kg = 1.0 - kr - kb;
    const double yScale = frame.fullRange ? 1.0 : 255.0 / 219.0;
    const double cScale = frame.fullRange ? 1.0 : 255.0 / 224.0;
    offset = { frame.fullRange ? 0.0f : 16.0f / 255.0f, 128.0f / 255.0f, 128.0f / 255.0f };
    const double crToR = 2.0 * (1.0 - kr);
    const double cbToB = 2.0 * (1.0 - kb);
    const double cbToG = -cbToB * kb / kg;
    const double crToG = -crToR * kr / kg;
    // Column-major: the columns are what Y, Cb and Cr add to R, G and B.
    return { float(yScale), float(yScale), float(yScale), 0.0f, float(cbToG * cScale), float(cbToB * cScale),
        float(crToR * cScale), float(crToG * cScale), 0.0f };
}
