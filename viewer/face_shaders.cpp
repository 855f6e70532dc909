#include "viewer/face_shaders.h"

#include <QByteArray>
#include <QString>

const char kFaceVertexShader[] = R"(#version 330 core
in vec2 aPosition;
uniform vec2 uFramebuffer;
void main()
{
    gl_Position = vec4(aPosition / uFramebuffer * 2.0 - 1.0, 0.0, 1.0);
}
)";

namespace {

// What both fragment shaders read of a picture: FORMAT 0 RGBA, 1 YUV planes, 2 a filtered
// picture (premultiplied RGBA). Rows count downwards from the picture's top.
constexpr char kPictureAccess[] = R"(
const int kFormat = FORMAT;
uniform sampler2D uPlane0;
uniform sampler2D uPlane1;
uniform sampler2D uPlane2;
uniform mat3 uYuvMatrix;
uniform vec3 uYuvOffset;
// Where the picture lies on a filtered picture's texture (offset and size, 0..1): a reduced one
// has a margin around it.
uniform vec4 uFilteredArea;

vec4 Unpremultiplied(vec4 c)
{
    return c.a > 0.0 ? vec4(c.rgb / c.a, c.a) : vec4(0.0);
}

vec4 Premultiplied(vec4 c)
{
    return vec4(c.rgb * c.a, c.a);
}

vec4 FromYuv(vec3 yuv)
{
    return vec4(clamp(uYuvMatrix * (yuv - uYuvOffset), 0.0, 1.0), 1.0);
}

// The picture's texel, its coordinates clamped to the picture's edge.
vec4 TexelAt(ivec2 t)
{
    ivec2 size = textureSize(uPlane0, 0);
    t = clamp(t, ivec2(0), size - 1);
    if (kFormat == 1) {
        ivec2 chromaSize = textureSize(uPlane1, 0);
        ivec2 c = min(t * chromaSize / size, chromaSize - 1);
        return FromYuv(vec3(texelFetch(uPlane0, t, 0).r, texelFetch(uPlane1, c, 0).r, texelFetch(uPlane2, c, 0).r));
    }
    vec4 color = texelFetch(uPlane0, t, 0);
    return kFormat == 2 ? Unpremultiplied(color) : color;
}

// The picture between its texels.
vec4 Sample(vec2 source)
{
    if (kFormat == 2)
        source = uFilteredArea.xy + source * uFilteredArea.zw;
    if (kFormat == 1)
        return FromYuv(vec3(texture(uPlane0, source).r, texture(uPlane1, source).r, texture(uPlane2, source).r));
    vec4 color = texture(uPlane0, source);
    return kFormat == 2 ? Unpremultiplied(color) : color;
}

float Luma(vec3 c)
{
    return dot(c, vec3(0.2126, 0.7152, 0.0722));
}
)";

constexpr char kFaceMain[] = R"(
uniform mat3 uToFace;
uniform vec4 uShown;
const bool kHasMask = HAS_MASK != 0;
const int kInPattern = IN_PATTERN;
const int kOutPattern = OUT_PATTERN;
const int kFilter = FILTER;
uniform sampler2D uMask;
uniform int uInDirection;
uniform float uInProgress;
uniform int uOutDirection;
uniform float uOutProgress;
uniform float uAspect;
uniform float uParams[10];
uniform int uTurns;
out vec4 fragColor;

vec3 RgbToHsl(vec3 c)
{
    float high = max(c.r, max(c.g, c.b));
    float low = min(c.r, min(c.g, c.b));
    float l = (high + low) / 2.0;
    if (high == low)
        return vec3(0.0, 0.0, l);
    float d = high - low;
    float s = l <= 0.5 ? d / (high + low) : d / (2.0 - high - low);
    float h;
    if (high == c.r)
        h = (c.g - c.b) / d;
    else if (high == c.g)
        h = 2.0 + (c.b - c.r) / d;
    else
        h = 4.0 + (c.r - c.g) / d;
    return vec3(fract(h / 6.0), s, l);
}

float HueToChannel(float p, float q, float t)
{
    t = fract(t);
    if (t < 1.0 / 6.0)
        return p + (q - p) * 6.0 * t;
    if (t < 0.5)
        return q;
    if (t < 2.0 / 3.0)
        return p + (q - p) * (2.0 / 3.0 - t) * 6.0;
    return p;
}

vec3 HslToRgb(vec3 hsl)
{
    if (hsl.y <= 0.0)
        return vec3(hsl.z);
    float q = hsl.z < 0.5 ? hsl.z * (1.0 + hsl.y) : hsl.z + hsl.y - hsl.z * hsl.y;
    float p = 2.0 * hsl.z - q;
    return vec3(HueToChannel(p, q, hsl.x + 1.0 / 3.0), HueToChannel(p, q, hsl.x), HueToChannel(p, q, hsl.x - 1.0 / 3.0));
}

vec4 PointFilter(vec4 color)
{
    vec3 c = color.rgb;
    if (kFilter == 1) {
        c = (c - 0.5) * (1.0 + uParams[1] / 100.0) + 0.5 + uParams[0] / 100.0;
    } else if (kFilter == 2) {
        vec3 hsl = RgbToHsl(c);
        hsl.x = fract(hsl.x + uParams[0] / 360.0);
        hsl.y = clamp(hsl.y * (1.0 + uParams[1] / 100.0), 0.0, 1.0);
        float v = uParams[2] / 100.0;
        hsl.z = v >= 0.0 ? hsl.z + (1.0 - hsl.z) * v : hsl.z * (1.0 + v);
        c = HslToRgb(hsl);
    } else if (kFilter == 3) {
        c = pow(c, vec3(100.0 / uParams[0]));
    } else if (kFilter == 4) {
        vec3 v = vec3(uParams[0], uParams[1], uParams[2]) / 100.0;
        c = mix(c * (1.0 + v), c + (1.0 - c) * v, step(vec3(0.0), v));
    } else if (kFilter == 5) {
        c = mix(c, vec3(Luma(c)), uParams[0] / 100.0);
    } else if (kFilter == 6) {
        vec3 s = clamp(vec3(dot(c, vec3(0.393, 0.769, 0.189)), dot(c, vec3(0.349, 0.686, 0.168)),
                           dot(c, vec3(0.272, 0.534, 0.131))), 0.0, 1.0);
        c = mix(c, s, uParams[0] / 100.0);
    } else if (kFilter == 7) {
        vec3 n = uParams[1] == 1.0 ? clamp(c + (1.0 - 2.0 * Luma(c)), 0.0, 1.0) : 1.0 - c;
        c = mix(c, n, uParams[0] / 100.0);
    } else if (kFilter == 8) {
        if (uParams[1] == 1.0)
            c = vec3(Luma(c));
        float steps = uParams[0] - 1.0;
        c = floor(c * steps + 0.5) / steps;
    } else if (kFilter == 13) {
        vec3 key = vec3(uParams[0], uParams[1], uParams[2]) / 255.0;
        float tolerance = uParams[3] / 100.0;
        float softness = uParams[4] / 100.0;
        float d = length(c - key) / sqrt(3.0);
        float a = softness > 0.0 ? clamp((d - tolerance) / softness, 0.0, 1.0) : (d > tolerance ? 1.0 : 0.0);
        if (uParams[5] == 1.0)
            a = 1.0 - a;
        color.a *= a;
    }
    return vec4(clamp(c, 0.0, 1.0), color.a);
}

// A point of the picture as shown (0..1) on its texture, which a stored rotation turns by
// uTurns clockwise quarter turns.
vec2 Unturned(vec2 p)
{
    if (uTurns == 1)
        return vec2(p.y, 1.0 - p.x);
    if (uTurns == 2)
        return vec2(1.0 - p.x, 1.0 - p.y);
    if (uTurns == 3)
        return vec2(1.0 - p.y, p.x);
    return p;
}

// The same for a texel of the picture as shown, of that size.
ivec2 UnturnedTexel(ivec2 t, ivec2 size)
{
    if (uTurns == 1)
        return ivec2(t.y, size.x - 1 - t.x);
    if (uTurns == 2)
        return size - 1 - t;
    if (uTurns == 3)
        return ivec2(size.y - 1 - t.y, t.x);
    return t;
}

// The picture at a point of the item's display area (0..1), filtered and masked; transparent
// outside the area.
vec4 Picture(vec2 c)
{
    if (c.x < 0.0 || c.y < 0.0 || c.x > 1.0 || c.y > 1.0)
        return vec4(0.0);
    vec2 source = uShown.xy + c * uShown.zw;
    vec4 color;
    if (kFilter == 11) {
        ivec2 texels = textureSize(uPlane0, 0);
        ivec2 shown = uTurns % 2 == 1 ? texels.yx : texels;
        vec2 size = vec2(shown);
        float n = uParams[0];
        vec2 centre = (floor(source * size / n) + 0.5) * n;
        color = TexelAt(UnturnedTexel(ivec2(floor(min(centre, size - 1.0))), shown));
    } else {
        color = Sample(Unturned(source));
    }
    color = PointFilter(color);
    if (kHasMask)
        color.a *= texture(uMask, c).r;
    return color;
}

float Ease(float p)
{
    return p * p * (3.0 - 2.0 * p);
}

vec2 Motion(int direction)
{
    if (direction == 1)
        return vec2(-1.0, 0.0);
    if (direction == 2)
        return vec2(0.0, 1.0);
    if (direction == 3)
        return vec2(0.0, -1.0);
    return vec2(1.0, 0.0);
}

float Along(vec2 c, int direction)
{
    if (direction == 1)
        return 1.0 - c.x;
    if (direction == 2)
        return c.y;
    if (direction == 3)
        return 1.0 - c.y;
    return c.x;
}

vec2 FromAlong(float a, vec2 c, int direction)
{
    if (direction == 1)
        return vec2(1.0 - a, c.y);
    if (direction == 2)
        return vec2(c.x, a);
    if (direction == 3)
        return vec2(c.x, 1.0 - a);
    return vec2(a, c.y);
}

float DissolveThreshold(vec2 c)
{
    float rows = max(1.0, floor(160.0 / uAspect + 0.5));
    uint i = uint(clamp(floor(160.0 * c.x), 0.0, 159.0));
    uint j = uint(clamp(floor(rows * c.y), 0.0, rows - 1.0));
    uint h = (i * 0x8DA6B343u) ^ (j * 0xD8163841u);
    h = h ^ (h >> 16);
    h = h * 0x7FEB352Du;
    h = h ^ (h >> 15);
    h = h * 0x846CA68Bu;
    h = h ^ (h >> 16);
    return float(h >> 8) / 16777216.0;
}

// One effect at the face point c: its coverage, and c moved to where the picture is taken.
float Effect(int pattern, int direction, float p, bool leaving, inout vec2 c)
{
    if (pattern == 1)
        return leaving ? 1.0 - p : p;
    if (pattern == 2) {
        float a = Along(c, direction);
        return (leaving ? a >= p : a < p) ? 1.0 : 0.0;
    }
    if (pattern == 3) {
        float s = Ease(p);
        c = leaving ? c - s * Motion(direction) : c + (1.0 - s) * Motion(direction);
        return 1.0;
    }
    if (pattern == 4) {
        float m = Ease(p);
        float a = Along(c, direction);
        if (!leaving) {
            if (m <= 0.0 || a >= m)
                return 0.0;
            c = FromAlong(a / m, c, direction);
            return 1.0;
        }
        if (m >= 1.0 || a < m)
            return 0.0;
        c = FromAlong((a - m) / (1.0 - m), c, direction);
        return 1.0;
    }
    if (pattern == 5) {
        float k = uAspect;
        float delta = length(vec2((c.x - 0.5) * k, c.y - 0.5)) / sqrt(k * k / 4.0 + 0.25);
        if (direction == 0)
            return (leaving ? delta >= p : delta < p) ? 1.0 : 0.0;
        return (leaving ? delta < 1.0 - p : delta > 1.0 - p) ? 1.0 : 0.0;
    }
    if (pattern == 6) {
        float s = Ease(p);
        float z;
        float a = 1.0;
        if (direction == 0) {
            z = leaving ? 1.0 + s : s;
            if (leaving)
                a = 1.0 - p;
        } else {
            z = leaving ? 1.0 - s : 2.0 - s;
            if (!leaving)
                a = p;
        }
        if (z <= 0.0)
            return 0.0;
        c = vec2(0.5) + (c - vec2(0.5)) / z;
        return a;
    }
    if (pattern == 7) {
        float a = Along(c, direction);
        float f = a >= 1.0 ? 1.0 : 10.0 * a - floor(10.0 * a);
        return (leaving ? f >= p : f < p) ? 1.0 : 0.0;
    }
    if (pattern == 8) {
        float r = DissolveThreshold(c);
        return (leaving ? r >= p : r < p) ? 1.0 : 0.0;
    }
    return 1.0;
}

void main()
{
    vec3 q = uToFace * vec3(gl_FragCoord.xy, 1.0);
    if (q.z <= 0.0)
        discard;
    vec2 c = q.xy / q.z;
    if (c.x < 0.0 || c.y < 0.0 || c.x > 1.0 || c.y > 1.0)
        discard;
    // The exit effect works on what the entry effect made of the picture.
    float coverage = 1.0;
    if (kOutPattern > 0)
        coverage *= Effect(kOutPattern, uOutDirection, uOutProgress, true, c);
    if (kInPattern > 0 && coverage > 0.0)
        coverage *= Effect(kInPattern, uInDirection, uInProgress, false, c);
    if (coverage <= 0.0)
        discard;
    vec4 color = Picture(c);
    float alpha = color.a * coverage;
    // Nothing of the picture here: what lies under the face stays (also where it is drawn
    // without blending).
    if (alpha <= 0.0)
        discard;
    fragColor = vec4(color.rgb * alpha, alpha);
}
)";

constexpr char kFilterMain[] = R"(
// Each pass is a program of its own, which a software renderer runs without the others' code.
const int kPass = PASS;
// The blur's reach in texels of the stage, and the reduction of the stage (blocks of kScale x
// kScale picture texels) or of the sharpened result, fixed too: loops unroll, and a software
// renderer, which runs both sides of every branch, runs no path the pass does not take.
const int kReach = REACH;
const int kScale = SCALE;
uniform sampler2D uStage;
uniform float uWeights[11];
uniform float uStrength;
uniform bool uInvert;
uniform vec2 uBlock;
uniform int uMargin;
// The face's rectangles (origin and size in texels) on the pages of the atlases that the pass
// draws into and that hold its stage: each face's pictures lie among those of other faces.
uniform ivec4 uTarget;
uniform ivec4 uStageRect;
out vec4 fragColor;

// The picture at a texel of the result, which is drawn at 1 / kScale of the picture's size: the
// texel itself at full size, the mean around the block's centre when reduced.
vec4 PictureAt(ivec2 t)
{
    if (kScale == 1)
        return TexelAt(t);
    vec2 size = vec2(textureSize(uPlane0, 0));
    vec2 centre = clamp((vec2(t) + 0.5) * float(kScale), vec2(0.5), size - 0.5);
    return Sample(centre / size);
}

// The premultiplied mean of the picture's texels under a texel of the stage, which covers
// uBlock texels of the picture in each direction (kScale of them, give or take the edge) and has
// a margin of uMargin texels around the picture, where the picture's edge texels are repeated.
// Pictures are averaged texel by texel in premultiplied form. Movie planes are opaque: each 2 x 2
// luma texels are read as one bilinear sample, their mean, with the chroma texel that 4:2:0 gives
// them, fetched unfiltered, and converted once; a software renderer pays for every sample.
vec4 BlockMean(ivec2 t)
{
    if (kScale == 1)
        return Premultiplied(TexelAt(t));
    vec2 origin = vec2(t - uMargin) * uBlock;
    ivec2 first = ivec2(floor(origin + 0.5 * uBlock - 0.5 * float(kScale) + 0.5));
    vec4 sum = vec4(0.0);
    if (kFormat == 1) {
        ivec2 size = textureSize(uPlane0, 0);
        // The chroma texel of a luma texel, by a multiplication: an integer division is not
        // made for many pixels at once.
        vec2 toChroma = vec2(textureSize(uPlane1, 0)) / vec2(size);
        for (int j = 0; j < kScale; j += 2) {
            for (int i = 0; i < kScale; i += 2) {
                ivec2 p = first + ivec2(i, j);
                // The bilinear sample between the four luma texels is their mean.
                float luma = texture(uPlane0, clamp(vec2(p) + 1.0, vec2(0.5), vec2(size) - 0.5) / vec2(size)).r;
                ivec2 c = ivec2((vec2(clamp(p, ivec2(0), size - 1)) + 0.5) * toChroma);
                sum += FromYuv(vec3(luma, texelFetch(uPlane1, c, 0).r, texelFetch(uPlane2, c, 0).r));
            }
        }
        return sum / float(kScale * kScale / 4);
    }
    for (int j = 0; j < kScale; ++j) {
        for (int i = 0; i < kScale; ++i)
            sum += Premultiplied(TexelAt(first + ivec2(i, j)));
    }
    return sum / float(kScale * kScale);
}

// A texel of the face's stage, its coordinates clamped to the stage's edge.
vec4 StageAt(ivec2 t)
{
    return texelFetch(uStage, uStageRect.xy + clamp(t, ivec2(0), uStageRect.zw - 1), 0);
}

float LumaAt(ivec2 t)
{
    return Luma(Unpremultiplied(StageAt(t)).rgb);
}

void main()
{
    // The texel of the face's picture; the texel drawn around it repeats the edge.
    ivec2 t = clamp(ivec2(gl_FragCoord.xy) - uTarget.xy, ivec2(0), uTarget.zw - 1);
    if (kPass == 0 || kPass == 1) {
        // Blur across (pass 0) or down (pass 1), from the stage.
        ivec2 step = kPass == 0 ? ivec2(1, 0) : ivec2(0, 1);
        vec4 sum = uWeights[0] * StageAt(t);
        for (int i = 1; i <= kReach; ++i)
            sum += uWeights[i] * (StageAt(t - i * step) + StageAt(t + i * step));
        fragColor = sum;
    } else if (kPass == 2) {
        // Sharpen: the picture pushed away from its blur, which the stage holds at a size of
        // its own.
        vec4 picture = Premultiplied(PictureAt(t));
        vec2 atBlur = (vec2(t) + 0.5) * float(kScale) / vec2(textureSize(uPlane0, 0));
        vec4 sharpened = picture + uStrength * (picture - texture(uStage, uFilteredArea.xy + atBlur * uFilteredArea.zw));
        sharpened.a = clamp(sharpened.a, 0.0, 1.0);
        sharpened.rgb = clamp(sharpened.rgb, vec3(0.0), vec3(sharpened.a));
        fragColor = sharpened;
    } else if (kPass == 3) {
        // Edges: the luma's Sobel gradient, from the picture in the stage.
        float gx = LumaAt(t + ivec2(1, -1)) + 2.0 * LumaAt(t + ivec2(1, 0)) + LumaAt(t + ivec2(1, 1))
            - LumaAt(t + ivec2(-1, -1)) - 2.0 * LumaAt(t + ivec2(-1, 0)) - LumaAt(t + ivec2(-1, 1));
        float gy = LumaAt(t + ivec2(-1, 1)) + 2.0 * LumaAt(t + ivec2(0, 1)) + LumaAt(t + ivec2(1, 1))
            - LumaAt(t + ivec2(-1, -1)) - 2.0 * LumaAt(t + ivec2(0, -1)) - LumaAt(t + ivec2(1, -1));
        float e = min(sqrt(gx * gx + gy * gy), 1.0);
        if (uInvert)
            e = 1.0 - e;
        vec4 picture = Unpremultiplied(StageAt(t));
        fragColor = Premultiplied(vec4(mix(picture.rgb, vec3(e), uStrength), picture.a));
    } else {
        // The stage: the picture once, premultiplied, each texel the mean of its block.
        fragColor = BlockMean(t);
    }
}
)";

} // namespace

QByteArray FaceFragmentShader(const FaceShaderKey& key)
{
    return QByteArrayLiteral("#version 330 core\n")
        + QStringLiteral(
            "#define FORMAT %1\n#define IN_PATTERN %2\n#define OUT_PATTERN %3\n#define FILTER %4\n"
            "#define HAS_MASK %5\n")
              .arg(key.format)
              .arg(key.inPattern)
              .arg(key.outPattern)
              .arg(key.filter)
              .arg(key.hasMask ? 1 : 0)
              .toLatin1()
        + kPictureAccess + kFaceMain;
}

QByteArray FilterFragmentShader(int format, int pass, int reach, int scale)
{
    return QByteArrayLiteral("#version 330 core\n")
        + QStringLiteral("#define FORMAT %1\n#define PASS %2\n#define REACH %3\n#define SCALE %4\n")
              .arg(format)
              .arg(pass)
              .arg(reach)
              .arg(scale)
              .toLatin1()
        + kPictureAccess + kFilterMain;
}
