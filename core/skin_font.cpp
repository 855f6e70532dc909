#include "core/skin_font.h"

#include <QFontDatabase>
#include <QStringList>
#include <algorithm>
#include <cmath>

namespace {

// Proportional first, like the faces they replace; fixed-pitch as the fallback.
const QStringList& JapaneseFamilies()
{
    static const QStringList families = { QStringLiteral("IPAPGothic"), QStringLiteral("IPAGothic") };
    return families;
}

} // namespace

QString JapaneseUiFontFamily()
{
    const QStringList installed = QFontDatabase::families();
    for (const QString& family : JapaneseFamilies()) {
        if (installed.contains(family, Qt::CaseInsensitive))
            return family;
    }
    return JapaneseFamilies().front();
}

void InstallJapaneseFontSubstitutes()
{
    for (const QString& windowsFace : { QStringLiteral("Meiryo UI"), QStringLiteral("MS UI Gothic") })
        QFont::insertSubstitutions(windowsFace, JapaneseFamilies());
}

int SkinFontPixelSize(int sizeTenths, double fontScaleX, double logicalDpi)
{
    if (fontScaleX <= 0.0)
        fontScaleX = 1.0;
    const double points = sizeTenths / fontScaleX / 10.0;
    return std::max(1, int(std::lround(points * logicalDpi / 72.0)));
}

QFont MakeSkinFont(const QString& face, int sizeTenths, double fontScaleX, double logicalDpi)
{
    QFont font(face);
    font.setPixelSize(SkinFontPixelSize(sizeTenths, fontScaleX, logicalDpi));
    return font;
}
