#pragma once

#include <QImage>
#include <array>
#include <cstdint>
#include <memory>

// One picture ready to be uploaded: either RGBA (pictures, cameras, movies in formats the
// shader does not convert) or the planes of 8-bit planar YUV straight from the decoder, which
// the face shader converts. The planes point into memory the frame owns.
struct CVideoFrame {
    enum class Format { Rgba, Yuv };
    enum class Matrix { Bt601, Bt709, Bt2020 };

    struct Plane {
        const uint8_t* data = nullptr;
        int stride = 0; // bytes per row
        int width = 0; // pixels
        int height = 0;
    };

    Format format = Format::Rgba;
    // The picture's size as shown (the pixel aspect applied); the planes may differ.
    int width = 0;
    int height = 0;
    std::array<Plane, 3> planes {};
    Matrix matrix = Matrix::Bt709;
    bool fullRange = false;
    // Clockwise quarter turns (0..3) from the planes to the picture as shown: a rotation stored
    // in a movie. `width` and `height` are those of the turned picture.
    int quarterTurns = 0;

    // Movies: the frame's media time and its place in the item's sequence (see item_timing.h).
    int64_t mediaUs = 0;
    int64_t sequenceUs = 0;
    // Tells frames apart, so a texture is uploaded once per frame.
    uint64_t serial = 0;

    // Keeps the memory the planes point into.
    std::shared_ptr<const void> owner;

    static uint64_t NextSerial();
    // An RGBA frame of the image (converted when it is not RGBA8888 already).
    static std::shared_ptr<const CVideoFrame> FromImage(QImage image);
};

using VideoFramePtr = std::shared_ptr<const CVideoFrame>;

// The RGB of a YUV frame's Y'CbCr (each 0..1 after subtracting `offset`) for its matrix and
// range: a column-major 3 x 3 matrix whose columns are what Y, Cb and Cr add to R, G and B.
std::array<float, 9> YuvMatrix(const CVideoFrame& frame, std::array<float, 3>& offset);
