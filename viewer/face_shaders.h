#pragma once

#include <QByteArray>
#include <compare>

// The renderer's shader sources (GLSL 3.30 core, which Mesa's software renderer runs too).

// Both programs draw a triangle fan of frame buffer pixel positions.
extern const char kFaceVertexShader[];

// What a face's program is made for. Each combination is a program of its own, in which the
// compiler drops every path the face does not take: a software renderer would otherwise run
// them all for every pixel.
struct FaceShaderKey {
    int format = 0; // 0 RGBA, 1 YUV planes, 2 a filtered picture (premultiplied RGBA)
    int inPattern = 0; // the effects' numbers, 0 for none
    int outPattern = 0;
    int filter = 0; // a filter drawn by the face's program, 0 for none
    bool hasMask = false;

    auto operator<=>(const FaceShaderKey&) const = default;
};

// One face: maps each output pixel back onto the face by the inverse of its perspective, applies
// the exit and entry effects to the face point, takes the picture there (YUV planes converted,
// the mosaic and the point filters applied, the mask multiplied in) and writes it premultiplied.
QByteArray FaceFragmentShader(const FaceShaderKey& key);

// One picture pass of the neighbourhood filters (blur, sharpen, edge detection) for a picture of
// the format (0 RGBA, 1 YUV planes), drawn once per new frame, premultiplied: 0 the blur across,
// 1 the blur down, 2 sharpening, 3 edges, 4 the stage (the picture once, reduced for a wide blur).
// The blur's passes reach `reach` texels on either side; the stage is drawn reduced by `scale`
// (blocks of scale x scale texels), as is the sharpened picture.
QByteArray FilterFragmentShader(int format, int pass, int reach = 0, int scale = 1);
