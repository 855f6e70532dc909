// The entry and exit effects and the filters, drawn by the headless viewer and compared pixel
// by pixel with the definitions of docs/effects-and-filters.md, worked out here on the CPU.
#include "tests/viewer/editor_side.h"
#include "tests/viewer/show_project.h"
#include "viewer/effects_and_filters.h"

#include <QImage>
#include <QPainter>
#include <cmath>
#include <functional>
#include <gtest/gtest.h>

namespace {

using Item = tagTL_FACE_ITEM_DATA;

struct Rgba {
    double r = 0, g = 0, b = 0, a = 0;
};

Rgba FromColor(QColor c)
{
    return { c.redF(), c.greenF(), c.blueF(), c.alphaF() };
}

double Clamp01(double v)
{
    return std::clamp(v, 0.0, 1.0);
}

// ---- The effects as the document defines them ----

struct EffectCase {
    int pattern = 0;
    int direction = 0;
    bool leaving = false;
    // Both at once: an entry effect below the exit effect.
    int entryPattern = -1;
    int entryDirection = 0;
};

double Ease(double p)
{
    return p * p * (3 - 2 * p);
}

QPointF Motion(int d)
{
    return d == 1 ? QPointF(-1, 0) : d == 2 ? QPointF(0, 1) : d == 3 ? QPointF(0, -1) : QPointF(1, 0);
}

double Along(QPointF c, int d)
{
    return d == 1 ? 1 - c.x() : d == 2 ? c.y() : d == 3 ? 1 - c.y() : c.x();
}

QPointF FromAlong(double a, QPointF c, int d)
{
    return d == 1 ? QPointF(1 - a, c.y())
        : d == 2  ? QPointF(c.x(), a)
        : d == 3  ? QPointF(c.x(), 1 - a)
                  : QPointF(a, c.y());
}

double EffectCoverage(int pattern, int d, double p, bool leaving, QPointF& c, double k)
{
    switch (pattern) {
    case 1:
        return leaving ? 1 - p : p;
    case 2: {
        const double a = Along(c, d);
        return (leaving ? a >= p : a < p) ? 1 : 0;
    }
    case 3:
        c = leaving ? c - Ease(p) * Motion(d) : c + (1 - Ease(p)) * Motion(d);
        return 1;
    case 4: {
        const double m = Ease(p);
        const double a = Along(c, d);
        if (!leaving) {
            if (m <= 0 || a >= m)
                return 0;
            c = FromAlong(a / m, c, d);
            return 1;
        }
        if (m >= 1 || a < m)
            return 0;
        c = FromAlong((a - m) / (1 - m), c, d);
        return 1;
    }
    case 5: {
        const double delta = std::hypot((c.x() - 0.5) * k, c.y() - 0.5) / std::sqrt((k / 2) * (k / 2) + 0.25);
        if (d == 0)
            return (leaving ? delta >= p : delta < p) ? 1 : 0;
        return (leaving ? delta < 1 - p : delta > 1 - p) ? 1 : 0;
    }
    case 6: {
        double z = 0;
        double a = 1;
        if (d == 0) {
            z = leaving ? 1 + Ease(p) : Ease(p);
            a = leaving ? 1 - p : 1;
        } else {
            z = leaving ? 1 - Ease(p) : 2 - Ease(p);
            a = leaving ? 1 : p;
        }
        if (z == 0)
            return 0;
        c = QPointF(0.5, 0.5) + (c - QPointF(0.5, 0.5)) / z;
        return a;
    }
    case 7: {
        const double a = Along(c, d);
        const double f = a == 1 ? 1 : 10 * a - std::floor(10 * a);
        return (leaving ? f >= p : f < p) ? 1 : 0;
    }
    case 8: {
        const int rows = std::max(1, int(std::lround(160 / k)));
        const auto i = uint32_t(std::min(std::floor(160 * c.x()), 159.0));
        const auto j = uint32_t(std::min(std::floor(rows * c.y()), double(rows - 1)));
        const double r = DissolveThreshold(i, j);
        return (leaving ? r >= p : r < p) ? 1 : 0;
    }
    default:
        return 1;
    }
}

// The picture of the effect tests: four quarters.
const QColor kQuarters[4] = { QColor(255, 0, 0), QColor(0, 255, 0), QColor(0, 0, 255), QColor(255, 255, 0) };

Rgba QuarterPicture(QPointF c)
{
    if (c.x() < 0 || c.y() < 0 || c.x() > 1 || c.y() > 1)
        return {};
    const int quarter = c.y() < 0.5 ? (c.x() < 0.5 ? 0 : 1) : (c.x() < 0.5 ? 3 : 2);
    return FromColor(kQuarters[quarter]);
}

// What the face shows at face point (x, y) over black.
Rgba ExpectedEffect(const EffectCase& e, double p, QPointF c, double k)
{
    double coverage = EffectCoverage(e.pattern, e.direction, p, e.leaving, c, k);
    if (e.entryPattern >= 0)
        coverage *= EffectCoverage(e.entryPattern, e.entryDirection, p, false, c, k);
    const Rgba picture = QuarterPicture(c);
    const double alpha = picture.a * coverage;
    return { picture.r * alpha, picture.g * alpha, picture.b * alpha, 1 };
}

::testing::AssertionResult Matches(QColor actual, const Rgba& expected, int tolerance)
{
    const int r = int(std::lround(expected.r * 255));
    const int g = int(std::lround(expected.g * 255));
    const int b = int(std::lround(expected.b * 255));
    if (std::abs(actual.red() - r) <= tolerance && std::abs(actual.green() - g) <= tolerance
        && std::abs(actual.blue() - b) <= tolerance)
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure()
        << actual.name().toStdString() << " instead of " << QColor(r, g, b).name().toStdString();
}

struct FilterCase {
    int number;
    std::vector<int> params;
};

class ViewerEffects : public ::testing::Test {
protected:
    void TearDown() override
    {
        if (HasFailure())
            std::fprintf(stderr, "Luxviewer's diagnostics:\n%s\n", editor.Diagnostics().toUtf8().constData());
    }

    // Shows the picture with each case's filter on a face of 64 x 32 (ten to a row) and checks
    // every pixel of each face against the expected colour within the tolerance.
    void ExpectFilteredFaces(const std::vector<FilterCase>& cases,
        const QImage& picture,
        int tolerance,
        const std::function<Rgba(const FilterCase&, int, int)>& expectedAt);

    QImage RenderAt(int32_t time)
    {
        EXPECT_TRUE(editor.StartViewer(QRect(0, 0, 640, 360)));
        EXPECT_TRUE(editor.Project(kPmProjectLoad, project.ProjectXmlPath(), project.WorkFolder()));
        EXPECT_TRUE(editor.Command(kPmCommandSeek, { QString::number(time) }));
        return editor.Render(temp.FilePath("frame.png"));
    }

    CEditorSide editor;
    CTempFolder temp;
    CShowProject project { temp };
};

TEST(DissolveThreshold, CheckValuesOfTheDocument)
{
    EXPECT_EQ(DissolveThreshold(0, 0), 0.0);
    EXPECT_NEAR(DissolveThreshold(1, 0), 0.691145, 1e-6);
    EXPECT_NEAR(DissolveThreshold(0, 1), 0.479735, 1e-6);
    EXPECT_NEAR(DissolveThreshold(3, 7), 0.460005, 1e-6);
}

// The part of the picture a face can show under an effect holds every point it takes the picture
// from, for every effect, direction, progress and aspect; and it leaves out what it cannot show.
TEST(ShownPartOfPicture, HoldsEveryPointTheEffectShows)
{
    const int directions[] = { 1, 1, 4, 4, 4, 2, 2, 4, 1 };
    for (int pattern = 1; pattern <= 8; ++pattern) {
        for (int direction = 0; direction < directions[pattern]; ++direction) {
            for (bool leaving : { false, true }) {
                for (double p : { 0.0, 0.05, 0.3, 0.5, 0.9, 1.0 }) {
                    for (double k : { 0.5, 1.0, 2.0 }) {
                        SCOPED_TRACE(QStringLiteral("effect %1 direction %2 %3 p %4 k %5")
                                         .arg(pattern)
                                         .arg(direction)
                                         .arg(leaving ? "out" : "in")
                                         .arg(p)
                                         .arg(k)
                                         .toStdString());
                        ItemEffects effects;
                        (leaving ? effects.exit : effects.entry)
                            = ActiveEffect { EffectPattern(pattern), direction, p };
                        const QRectF part = ShownPartOfPicture(effects, k);
                        int outside = 0;
                        for (int y = 0; y <= 60; ++y) {
                            for (int x = 0; x <= 60; ++x) {
                                QPointF c(x / 60.0, y / 60.0);
                                if (EffectCoverage(pattern, direction, p, leaving, c, k) <= 0)
                                    continue;
                                if (c.x() < 0 || c.y() < 0 || c.x() > 1 || c.y() > 1)
                                    continue;
                                if (c.x() < part.left() - 1e-9 || c.x() > part.right() + 1e-9
                                    || c.y() < part.top() - 1e-9 || c.y() > part.bottom() + 1e-9)
                                    ++outside;
                            }
                        }
                        EXPECT_EQ(outside, 0);
                    }
                }
            }
        }
    }
    // What it leaves out: a wipe a third of the way in, an iris a quarter open, a zoom at twice the
    // size; the whole where the effect takes the picture from anywhere, and for both at once.
    const auto partOf = [](std::optional<ActiveEffect> entry, std::optional<ActiveEffect> exit) {
        ItemEffects effects;
        effects.entry = entry;
        effects.exit = exit;
        return ShownPartOfPicture(effects, 2.0);
    };
    const ActiveEffect wipe { EffectPattern::Wipe, 1, 1.0 / 3.0 };
    EXPECT_NEAR(partOf(wipe, std::nullopt).left(), 2.0 / 3.0, 1e-9);
    EXPECT_NEAR(partOf(wipe, std::nullopt).width(), 1.0 / 3.0, 1e-9);
    const QRectF iris = partOf(ActiveEffect { EffectPattern::Iris, 0, 0.25 }, std::nullopt);
    EXPECT_NEAR(iris.width(), 0.25 * std::sqrt(1.25), 1e-9);
    EXPECT_NEAR(iris.height(), 0.5 * std::sqrt(1.25), 1e-9);
    EXPECT_EQ(
        partOf(std::nullopt, ActiveEffect { EffectPattern::Zoom, 0, 1.0 }), QRectF(0.25, 0.25, 0.5, 0.5));
    EXPECT_EQ(partOf(ActiveEffect { EffectPattern::Push, 0, 0.1 }, std::nullopt), QRectF(0, 0, 1, 1));
    EXPECT_EQ(partOf(ActiveEffect { EffectPattern::Dissolve, 0, 0.1 }, std::nullopt), QRectF(0, 0, 1, 1));
    EXPECT_EQ(partOf(wipe, ActiveEffect { EffectPattern::Wipe, 0, 0.5 }), QRectF(0, 0, 1, 1));
}

TEST(ItemEffects, WhenEffectsStandAndTheirProgress)
{
    Item item = CShowProject::Item(1, 100, 1000, Item::MODE_IMAGE);
    item.InPattern = 2;
    item.InDirection = 7; // outside the set: direction 0
    item.InStartTime = 100;
    item.InEndTime = 300;
    item.OutPattern = 1;
    item.OutStartTime = 900;
    item.OutEndTime = 1100;
    struct Case {
        double time;
        bool entry;
        double entryProgress;
        bool exit;
        double exitProgress;
        bool hidden;
        double gain;
    } const cases[] = {
        { 50, true, 0.0, false, 0, false, 1.0 }, // before its start: the state of p = 0
        { 150, true, 0.25, false, 0, false, 1.0 }, { 299.5, true, 0.9975, false, 0, false, 1.0 },
        { 300, false, 0, false, 0, false, 1.0 }, // from its end on: the plain picture
        { 900, false, 0, false, 0, false, 1.0 }, // the exit at p = 0: plain
        { 1000, false, 0, true, 0.5, false, 0.5 }, // a fade halves the sound too
        { 1100, false, 0, true, 1.0, true, 0.0 }, // nothing left
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.time);
        const ItemEffects effects = EffectsAt(item, c.time);
        ASSERT_EQ(effects.entry.has_value(), c.entry);
        if (c.entry) {
            EXPECT_EQ(effects.entry->pattern, EffectPattern::Wipe);
            EXPECT_EQ(effects.entry->direction, 0);
            EXPECT_DOUBLE_EQ(effects.entry->progress, c.entryProgress);
        }
        ASSERT_EQ(effects.exit.has_value(), c.exit);
        if (c.exit) {
            EXPECT_DOUBLE_EQ(effects.exit->progress, c.exitProgress);
        }
        EXPECT_EQ(effects.hidden, c.hidden);
        EXPECT_DOUBLE_EQ(SoundGainOf(effects), c.gain);
    }
    // Unknown numbers are cuts, empty intervals change nothing.
    item.InPattern = 42;
    item.OutEndTime = item.OutStartTime;
    const ItemEffects none = EffectsAt(item, 200);
    EXPECT_FALSE(none.entry);
    EXPECT_FALSE(EffectsAt(item, 1000).exit);
    // Filters: unknown numbers none; parameters clamped, switches 1 only.
    item.FilterNo = 7;
    item.Param = { 250, 2 };
    ItemFilter filter = FilterOf(item);
    EXPECT_EQ(filter.kind, FilterKind::Negative);
    EXPECT_EQ(filter.params[0], 100.0f);
    EXPECT_EQ(filter.params[1], 0.0f);
    item.FilterNo = 14;
    EXPECT_EQ(FilterOf(item).kind, FilterKind::None);
}

TEST_F(ViewerEffects, AFadeAtItsMidpointIsHalfWay)
{
    ASSERT_TRUE(project.AddFace(1, QPolygon({ { 0, 0 }, { 640, 0 }, { 640, 360 }, { 0, 360 } })));
    Item item = CShowProject::Item(
        1, 100, 1000, Item::MODE_IMAGE, WriteSolidPicture(temp, "w.png", QColor(200, 100, 250)));
    item.InPattern = int(EffectPattern::Fade);
    item.InStartTime = 100;
    item.InEndTime = 300;
    ASSERT_TRUE(project.SetItem(item));
    const QImage frame = RenderAt(200);
    ASSERT_FALSE(frame.isNull());
    EXPECT_TRUE(Matches(frame.pixelColor(320, 180), { 100 / 255.0, 50 / 255.0, 125 / 255.0, 1 }, 1));
}

TEST_F(ViewerEffects, EveryEffectDrawsAsDocumented)
{
    std::vector<EffectCase> cases;
    for (bool leaving : { false, true }) {
        cases.push_back({ 1, 0, leaving });
        for (int pattern : { 2, 3, 4, 7 })
            for (int direction = 0; direction < 4; ++direction)
                cases.push_back({ pattern, direction, leaving });
        for (int pattern : { 5, 6 })
            for (int direction = 0; direction < 2; ++direction)
                cases.push_back({ pattern, direction, leaving });
        cases.push_back({ 8, 0, leaving });
    }
    // Both at once: a slide in under a wipe out.
    cases.push_back({ 2, 1, true, 3, 2 });
    ASSERT_LE(cases.size(), 50u);

    // Faces of 64 x 72 canvas pixels in ten columns; every item shows a 200 x 100 picture
    // (so k = 2) with its effect running from 0 to 200 and is drawn at 60 (p = 0.3).
    const QString picture = WriteQuarterPicture(temp, "q.png", kQuarters, { 200, 100 });
    const QSize faceSize(64, 72);
    for (size_t i = 0; i < cases.size(); ++i) {
        const QPoint origin(int(i % 10) * faceSize.width(), int(i / 10) * faceSize.height());
        const QRect r(origin, faceSize);
        const int32_t faceNo = int32_t(i) + 1;
        ASSERT_TRUE(project.AddFace(faceNo,
            QPolygon({ r.topLeft(), QPoint(r.right() + 1, r.top()), QPoint(r.right() + 1, r.bottom() + 1),
                QPoint(r.left(), r.bottom() + 1) })));
        Item item = CShowProject::Item(faceNo, 0, 1000, Item::MODE_IMAGE, picture);
        const EffectCase& c = cases[i];
        if (c.leaving) {
            item.OutPattern = c.pattern;
            item.OutDirection = c.direction;
            item.OutStartTime = 0;
            item.OutEndTime = 200;
        } else {
            item.InPattern = c.pattern;
            item.InDirection = c.direction;
            item.InStartTime = 0;
            item.InEndTime = 200;
        }
        if (c.entryPattern >= 0) {
            item.InPattern = c.entryPattern;
            item.InDirection = c.entryDirection;
            item.InStartTime = 0;
            item.InEndTime = 200;
        }
        ASSERT_TRUE(project.SetItem(item));
    }
    const QImage frame = RenderAt(60);
    ASSERT_FALSE(frame.isNull());
    const double p = 0.3;
    const double k = 2.0;
    for (size_t i = 0; i < cases.size(); ++i) {
        const EffectCase& c = cases[i];
        SCOPED_TRACE(QStringLiteral("effect %1 direction %2 %3")
                         .arg(c.pattern)
                         .arg(c.direction)
                         .arg(c.leaving ? "out" : "in")
                         .toStdString());
        const QPoint origin(int(i % 10) * faceSize.width(), int(i / 10) * faceSize.height());
        const auto faceAt = [&](double px, double py) {
            return QPointF((px + 0.5) / faceSize.width(), (py + 0.5) / faceSize.height());
        };
        int compared = 0;
        int mismatched = 0;
        for (int y = 1; y < faceSize.height() - 1; y += 2) {
            for (int x = 1; x < faceSize.width() - 1; x += 2) {
                // Hard edges may fall either way within a pixel: only points whose neighbours
                // agree are compared.
                const Rgba expected = ExpectedEffect(c, p, faceAt(x, y), k);
                bool stable = true;
                for (const QPoint d : { QPoint(-1, 0), QPoint(1, 0), QPoint(0, -1), QPoint(0, 1) }) {
                    const Rgba n = ExpectedEffect(c, p, faceAt(x + d.x(), y + d.y()), k);
                    stable = stable
                        && std::abs(n.r - expected.r) + std::abs(n.g - expected.g)
                                + std::abs(n.b - expected.b)
                            < 1e-9;
                }
                if (!stable)
                    continue;
                ++compared;
                const ::testing::AssertionResult match
                    = Matches(frame.pixelColor(origin + QPoint(x, y)), expected, 3);
                if (!match && ++mismatched <= 3)
                    ADD_FAILURE() << "at (" << x << ", " << y << ") " << match.message();
            }
        }
        EXPECT_EQ(mismatched, 0);
        EXPECT_GT(compared, 100);
    }
}

// ---- The filters as the document defines them ----

double Luma(const Rgba& c)
{
    return 0.2126 * c.r + 0.7152 * c.g + 0.0722 * c.b;
}

Rgba ToHsl(const Rgba& c)
{
    const double high = std::max({ c.r, c.g, c.b });
    const double low = std::min({ c.r, c.g, c.b });
    const double l = (high + low) / 2;
    if (high == low)
        return { 0, 0, l, c.a };
    const double d = high - low;
    const double s = l <= 0.5 ? d / (high + low) : d / (2 - high - low);
    double h = high == c.r ? (c.g - c.b) / d : high == c.g ? 2 + (c.b - c.r) / d : 4 + (c.r - c.g) / d;
    h = h / 6 - std::floor(h / 6);
    return { h, s, l, c.a };
}

double HueToChannel(double p, double q, double t)
{
    t -= std::floor(t);
    if (t < 1.0 / 6)
        return p + (q - p) * 6 * t;
    if (t < 0.5)
        return q;
    if (t < 2.0 / 3)
        return p + (q - p) * (2.0 / 3 - t) * 6;
    return p;
}

Rgba FromHsl(double h, double s, double l, double a)
{
    if (s <= 0)
        return { l, l, l, a };
    const double q = l < 0.5 ? l * (1 + s) : l + s - l * s;
    const double p = 2 * l - q;
    return { HueToChannel(p, q, h + 1.0 / 3), HueToChannel(p, q, h), HueToChannel(p, q, h - 1.0 / 3), a };
}

Rgba Mix(const Rgba& a, const Rgba& b, double w)
{
    return { a.r + (b.r - a.r) * w, a.g + (b.g - a.g) * w, a.b + (b.b - a.b) * w, a.a };
}

Rgba ClampRgb(Rgba c)
{
    return { Clamp01(c.r), Clamp01(c.g), Clamp01(c.b), c.a };
}

Rgba PointFilter(const FilterCase& f, Rgba c)
{
    const auto P = [&f](int i) { return double(f.params.at(size_t(i))); };
    switch (f.number) {
    case 1: {
        const auto bc = [&](double v) { return (v - 0.5) * (1 + P(1) / 100) + 0.5 + P(0) / 100; };
        return ClampRgb({ bc(c.r), bc(c.g), bc(c.b), c.a });
    }
    case 2: {
        Rgba hsl = ToHsl(c);
        const double h = std::fmod(hsl.r + P(0) / 360 + 1, 1.0);
        const double s = Clamp01(hsl.g * (1 + P(1) / 100));
        const double v = P(2) / 100;
        const double l = v >= 0 ? hsl.b + (1 - hsl.b) * v : hsl.b * (1 + v);
        return ClampRgb(FromHsl(h, s, l, c.a));
    }
    case 3:
        return ClampRgb(
            { std::pow(c.r, 100 / P(0)), std::pow(c.g, 100 / P(0)), std::pow(c.b, 100 / P(0)), c.a });
    case 4: {
        const auto balance = [](double v, double w) { return w >= 0 ? v + (1 - v) * w : v * (1 + w); };
        return ClampRgb(
            { balance(c.r, P(0) / 100), balance(c.g, P(1) / 100), balance(c.b, P(2) / 100), c.a });
    }
    case 5: {
        const double y = Luma(c);
        return ClampRgb(Mix(c, { y, y, y, c.a }, P(0) / 100));
    }
    case 6: {
        const Rgba s { Clamp01(0.393 * c.r + 0.769 * c.g + 0.189 * c.b),
            Clamp01(0.349 * c.r + 0.686 * c.g + 0.168 * c.b),
            Clamp01(0.272 * c.r + 0.534 * c.g + 0.131 * c.b), c.a };
        return ClampRgb(Mix(c, s, P(0) / 100));
    }
    case 7: {
        const double turn = 1 - 2 * Luma(c);
        const Rgba n = f.params.at(1) == 1 ? ClampRgb({ c.r + turn, c.g + turn, c.b + turn, c.a })
                                           : Rgba { 1 - c.r, 1 - c.g, 1 - c.b, c.a };
        return ClampRgb(Mix(c, n, P(0) / 100));
    }
    case 8: {
        if (f.params.at(1) == 1) {
            const double y = Luma(c);
            c = { y, y, y, c.a };
        }
        const double steps = P(0) - 1;
        const auto level = [steps](double v) { return std::floor(v * steps + 0.5) / steps; };
        return ClampRgb({ level(c.r), level(c.g), level(c.b), c.a });
    }
    case 13: {
        const double d
            = std::sqrt((c.r - P(0) / 255) * (c.r - P(0) / 255) + (c.g - P(1) / 255) * (c.g - P(1) / 255)
                  + (c.b - P(2) / 255) * (c.b - P(2) / 255))
            / std::sqrt(3.0);
        const double t = P(3) / 100;
        const double w = P(4) / 100;
        double a = w > 0 ? Clamp01((d - t) / w) : (d > t ? 1 : 0);
        if (f.params.at(5) == 1)
            a = 1 - a;
        return { c.r, c.g, c.b, c.a * a };
    }
    default:
        return c;
    }
}

// The test picture: a smooth blend on the left, hard squares of strong colours on the right.
QImage FilterPicture()
{
    QImage image(64, 32, QImage::Format_RGB32);
    const QColor squares[] = { Qt::red, Qt::white, Qt::blue, Qt::black, QColor(0, 200, 100), Qt::yellow };
    for (int y = 0; y < 32; ++y) {
        for (int x = 0; x < 64; ++x) {
            if (x < 32)
                image.setPixelColor(x, y, QColor(x * 8, y * 8, 255 - x * 4));
            else
                image.setPixelColor(x, y, squares[((x - 32) / 8 + (y / 8) * 2) % 6]);
        }
    }
    return image;
}

Rgba Texel(const QImage& image, int x, int y)
{
    return FromColor(
        image.pixelColor(std::clamp(x, 0, image.width() - 1), std::clamp(y, 0, image.height() - 1)));
}

// Filter 9's blur at (x, y) with clamped edges (alpha is 1 throughout the picture).
Rgba Blurred(const QImage& image, int x, int y, int radius)
{
    if (radius == 0)
        return Texel(image, x, y);
    const double sigma = radius / 2.0;
    Rgba sum;
    double total = 0;
    for (int j = -radius; j <= radius; ++j) {
        for (int i = -radius; i <= radius; ++i) {
            const double w = std::exp(-(i * i + j * j) / (2 * sigma * sigma));
            const Rgba t = Texel(image, x + i, y + j);
            sum = { sum.r + w * t.r, sum.g + w * t.g, sum.b + w * t.b, 1 };
            total += w;
        }
    }
    return { sum.r / total, sum.g / total, sum.b / total, 1 };
}

Rgba ExpectedFilter(const FilterCase& f, const QImage& image, int x, int y)
{
    const auto P = [&f](int i) { return double(f.params.at(size_t(i))); };
    switch (f.number) {
    case 9:
        return Blurred(image, x, y, f.params.at(0));
    case 10: {
        const Rgba in = Texel(image, x, y);
        const Rgba b = Blurred(image, x, y, f.params.at(1));
        const double k = P(0) / 100;
        return ClampRgb({ in.r + k * (in.r - b.r), in.g + k * (in.g - b.g), in.b + k * (in.b - b.b), 1 });
    }
    case 11: {
        const int n = f.params.at(0);
        const auto centre = [n](int u, int size) {
            return std::min(int(std::floor((std::floor(double(u) / n) + 0.5) * n)), size - 1);
        };
        return Texel(image, centre(x, image.width()), centre(y, image.height()));
    }
    case 12: {
        const auto y_ = [&](int dx, int dy) { return Luma(Texel(image, x + dx, y + dy)); };
        const double gx = y_(1, -1) + 2 * y_(1, 0) + y_(1, 1) - y_(-1, -1) - 2 * y_(-1, 0) - y_(-1, 1);
        const double gy = y_(-1, 1) + 2 * y_(0, 1) + y_(1, 1) - y_(-1, -1) - 2 * y_(0, -1) - y_(1, -1);
        double e = std::min(std::sqrt(gx * gx + gy * gy), 1.0);
        if (f.params.at(1) == 1)
            e = 1 - e;
        return ClampRgb(Mix(Texel(image, x, y), { e, e, e, 1 }, P(0) / 100));
    }
    default:
        return PointFilter(f, Texel(image, x, y));
    }
}

void ViewerEffects::ExpectFilteredFaces(const std::vector<FilterCase>& cases,
    const QImage& picture,
    int tolerance,
    const std::function<Rgba(const FilterCase&, int, int)>& expectedAt)
{
    ASSERT_TRUE(picture.save(temp.FilePath("filter.png")));
    const auto originOf = [](size_t i) { return QPoint(int(i % 10) * 64, int(i / 10) * 32); };
    for (size_t i = 0; i < cases.size(); ++i) {
        const QPoint origin = originOf(i);
        const int32_t faceNo = int32_t(i) + 1;
        ASSERT_TRUE(project.AddFace(faceNo,
            QPolygon({ origin, origin + QPoint(64, 0), origin + QPoint(64, 32), origin + QPoint(0, 32) })));
        Item item = CShowProject::Item(faceNo, 0, 1000, Item::MODE_IMAGE, temp.FilePath("filter.png"));
        item.FilterNo = cases[i].number;
        for (size_t p = 0; p < cases[i].params.size(); ++p)
            item.Param[p] = cases[i].params[p];
        ASSERT_TRUE(project.SetItem(item));
    }
    const QImage frame = RenderAt(10);
    ASSERT_FALSE(frame.isNull());
    for (size_t i = 0; i < cases.size(); ++i) {
        const FilterCase& f = cases[i];
        SCOPED_TRACE(QStringLiteral("filter %1 case %2").arg(f.number).arg(i).toStdString());
        int mismatched = 0;
        for (int y = 0; y < 32; ++y) {
            for (int x = 0; x < 64; ++x) {
                const ::testing::AssertionResult match
                    = Matches(frame.pixelColor(originOf(i) + QPoint(x, y)), expectedAt(f, x, y), tolerance);
                if (!match && ++mismatched <= 3)
                    ADD_FAILURE() << "at (" << x << ", " << y << ") " << match.message();
            }
        }
        EXPECT_EQ(mismatched, 0);
    }
}

TEST_F(ViewerEffects, EveryFilterChangesPixelsAsDocumented)
{
    const std::vector<FilterCase> cases = {
        { 0, {} },
        { 1, { 20, 50 } },
        { 1, { -30, -60 } },
        { 2, { 90, 30, -20 } },
        { 2, { -45, -50, 40 } },
        { 3, { 250 } },
        { 3, { 40 } },
        { 4, { 30, -40, 10 } },
        { 5, { 70 } },
        { 6, { 100 } },
        { 7, { 100, 0 } },
        { 7, { 60, 1 } },
        { 8, { 4, 0 } },
        { 8, { 3, 1 } },
        { 9, { 3 } },
        { 10, { 150, 2 } },
        { 11, { 8 } },
        { 12, { 100, 0 } },
        { 12, { 80, 1 } },
        { 13, { 255, 0, 0, 20, 10, 0 } },
        { 13, { 0, 0, 255, 30, 0, 1 } },
    };
    // Each face shows the 64 x 32 picture texel for pixel.
    const QImage image = FilterPicture();
    ExpectFilteredFaces(cases, image, 2, [&image](const FilterCase& f, int x, int y) {
        const Rgba expected = ExpectedFilter(f, image, x, y);
        return Rgba { expected.r * expected.a, expected.g * expected.a, expected.b * expected.a, 1 };
    });
}

} // namespace

namespace {

// A blur wider than a few texels is drawn on the picture reduced and shown magnified: it still
// looks as the documented blur, to within a few levels, up to the picture's edges.
TEST_F(ViewerEffects, WideBlursLookAsDocumented)
{
    const std::vector<FilterCase> cases = {
        { 9, { 12 } },
        { 9, { 20 } },
    };
    const QImage image = FilterPicture();
    ExpectFilteredFaces(cases, image, 8,
        [&image](const FilterCase& f, int x, int y) { return ExpectedFilter(f, image, x, y); });
}

// A face that shows a picture at half its size or less has its neighbourhood filters drawn at
// that size: it looks as the documented filter of the whole picture, seen at the face's size.
TEST_F(ViewerEffects, NeighbourhoodFiltersOnASmallerFaceLookAsDocumented)
{
    const std::vector<FilterCase> cases = {
        { 9, { 6 } },
        { 9, { 3 } },
        { 10, { 150, 4 } },
    };
    // The test picture at twice its size, shown on faces of its own size: a face's pixel lies
    // between four texels of the filtered picture.
    const QImage image = FilterPicture().scaled(128, 64);
    ExpectFilteredFaces(cases, image, 8, [&image](const FilterCase& f, int x, int y) {
        Rgba expected;
        for (const QPoint texel : { QPoint(0, 0), QPoint(1, 0), QPoint(0, 1), QPoint(1, 1) }) {
            const Rgba t = ExpectedFilter(f, image, 2 * x + texel.x(), 2 * y + texel.y());
            expected = { expected.r + t.r / 4, expected.g + t.g / 4, expected.b + t.b / 4, 1 };
        }
        return expected;
    });
}

} // namespace

namespace {

// The documented blur of the picture at a point between its texels (0..1), as a face samples it:
// bilinearly between the blurred texels.
Rgba BetweenTexels(const QImage& blurred, QPointF point)
{
    const double u = point.x() * blurred.width() - 0.5;
    const double v = point.y() * blurred.height() - 0.5;
    const int x0 = int(std::floor(u));
    const int y0 = int(std::floor(v));
    Rgba sum;
    for (int j = 0; j < 2; ++j) {
        for (int i = 0; i < 2; ++i) {
            const double w = (i ? u - x0 : 1 - (u - x0)) * (j ? v - y0 : 1 - (v - y0));
            const Rgba t = Texel(blurred, x0 + i, y0 + j);
            sum = { sum.r + w * t.r, sum.g + w * t.g, sum.b + w * t.b, 1 };
        }
    }
    return sum;
}

// A blur under an effect that shows part of the picture is drawn only where the face can show it:
// everywhere the face shows the picture, up to the edges of what it shows, it looks as the
// documented blur.
TEST_F(ViewerEffects, ABlurUnderAnEffectLooksAsDocumentedWhereverItShows)
{
    std::vector<EffectCase> cases;
    for (bool leaving : { false, true }) {
        for (int pattern : { 2, 3 })
            for (int direction = 0; direction < 4; ++direction)
                cases.push_back({ pattern, direction, leaving });
        cases.push_back({ 5, leaving ? 1 : 0, leaving }); // the iris's visible circle
        cases.push_back({ 6, leaving ? 0 : 1, leaving }); // a zoom larger than the face
    }
    cases.push_back({ 2, 1, true, 3, 2 }); // both at once
    const int radii[] = { 3, 12 }; // drawn at the picture's size, and on a reduced stage
    const QImage image = FilterPicture();
    ASSERT_TRUE(image.save(temp.FilePath("filter.png")));
    std::vector<QImage> blurred;
    for (int radius : radii) {
        QImage b(image.size(), QImage::Format_RGB32);
        for (int y = 0; y < image.height(); ++y) {
            for (int x = 0; x < image.width(); ++x) {
                const Rgba t = Blurred(image, x, y, radius);
                b.setPixelColor(x, y, QColor::fromRgbF(float(t.r), float(t.g), float(t.b)));
            }
        }
        blurred.push_back(b);
    }
    const auto originOf = [](size_t i) { return QPoint(int(i % 10) * 64, int(i / 10) * 32); };
    for (size_t i = 0; i < 2 * cases.size(); ++i) {
        const EffectCase& c = cases[i % cases.size()];
        const QPoint origin = originOf(i);
        const int32_t faceNo = int32_t(i) + 1;
        ASSERT_TRUE(project.AddFace(faceNo,
            QPolygon({ origin, origin + QPoint(64, 0), origin + QPoint(64, 32), origin + QPoint(0, 32) })));
        Item item = CShowProject::Item(faceNo, 0, 1000, Item::MODE_IMAGE, temp.FilePath("filter.png"));
        item.FilterNo = 9;
        item.Param[0] = radii[i / cases.size()];
        (c.leaving ? item.OutPattern : item.InPattern) = c.pattern;
        (c.leaving ? item.OutDirection : item.InDirection) = c.direction;
        (c.leaving ? item.OutEndTime : item.InEndTime) = 200;
        if (c.entryPattern >= 0) {
            item.InPattern = c.entryPattern;
            item.InDirection = c.entryDirection;
            item.InEndTime = 200;
        }
        ASSERT_TRUE(project.SetItem(item));
    }
    const QImage frame = RenderAt(60); // p = 0.3
    ASSERT_FALSE(frame.isNull());
    for (size_t i = 0; i < 2 * cases.size(); ++i) {
        const EffectCase& c = cases[i % cases.size()];
        const int radius = radii[i / cases.size()];
        SCOPED_TRACE(QStringLiteral("radius %1 effect %2 direction %3 %4")
                         .arg(radius)
                         .arg(c.pattern)
                         .arg(c.direction)
                         .arg(c.leaving ? "out" : "in")
                         .toStdString());
        // The coverage at a face pixel and the point of the picture it shows.
        const auto sampled = [&c](int x, int y, QPointF& point) {
            point = QPointF((x + 0.5) / 64, (y + 0.5) / 32);
            double coverage = EffectCoverage(c.pattern, c.direction, 0.3, c.leaving, point, 2.0);
            if (c.entryPattern >= 0)
                coverage *= EffectCoverage(c.entryPattern, c.entryDirection, 0.3, false, point, 2.0);
            const bool inside = point.x() >= 0 && point.y() >= 0 && point.x() <= 1 && point.y() <= 1;
            return inside ? coverage : 0.0;
        };
        int shown = 0;
        int mismatched = 0;
        for (int y = 1; y < 31; ++y) {
            for (int x = 1; x < 63; ++x) {
                QPointF point;
                const double coverage = sampled(x, y, point);
                // Hard edges of an effect may fall either way within a pixel.
                bool stable = true;
                for (const QPoint d : { QPoint(-1, 0), QPoint(1, 0), QPoint(0, -1), QPoint(0, 1) }) {
                    QPointF beside;
                    stable = stable && sampled(x + d.x(), y + d.y(), beside) == coverage;
                }
                if (!stable || coverage <= 0)
                    continue;
                ++shown;
                // Over the black canvas, a see-through face shows its colour times its coverage.
                const Rgba colour = BetweenTexels(blurred[i / cases.size()], point);
                const Rgba expected { colour.r * coverage, colour.g * coverage, colour.b * coverage, 1 };
                const ::testing::AssertionResult match
                    = Matches(frame.pixelColor(originOf(i) + QPoint(x, y)), expected, radius > 4 ? 8 : 2);
                if (!match && ++mismatched <= 3)
                    ADD_FAILURE() << "at (" << x << ", " << y << ") " << match.message();
            }
        }
        EXPECT_EQ(mismatched, 0);
        EXPECT_GT(shown, 40);
    }
}

} // namespace
