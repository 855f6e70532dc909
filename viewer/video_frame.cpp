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
