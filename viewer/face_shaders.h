#pragma once

#include <QByteArray>

// The renderer's shader sources (GLSL 3.30 core, which Mesa's software renderer runs too).

// Both programs draw a triangle fan of frame buffer pixel positions.
extern const char kFaceVertexShader[];

// One face: maps each output pixel back onto the face by the inverse of its perspective, applies
// the exit and entry effects to the face point, takes the picture there (YUV planes converted,
// the mosaic and the point filters applied, the mask multiplied in) and writes it premultiplied.
QByteArray FaceFragmentShader();

// The picture passes of the neighbourhood filters (blur, sharpen, edge detection), drawn once
// per new frame into pictures of the frame's own size, premultiplied.
QByteArray FilterFragmentShader();
