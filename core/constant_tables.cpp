#include "core/constant_tables.h"

#include "core/language_data.h"

#include <QStringList>
#include <algorithm>

QString MediaKindName(int kind)
{
    for (size_t i = 0; i < MediaKindValues.size(); ++i) {
        if (MediaKindValues[i] == kind)
            return QString::fromUtf16(MediaKindNames[i]);
    }
    return {};
}

QString FileDialogFilter(int kind, const CLanguageData& language)
{
    QString allOfKind;
    switch (kind) {
    case 1:
        allOfKind = language.GetFileTypeAllPicture();
        break;
    case 3:
        allOfKind = language.GetFileTypeAllMovie();
        break;
    case 6:
        allOfKind = language.GetFileTypeAllSound();
        break;
    default:
        return {};
    }
    // The language text is inserted as it is: a '%' in it must not act as a placeholder.
    QString filter = QString::fromUtf16(FileDialogFilters[size_t(kind)]);
    return filter.replace(QStringLiteral("%s"), allOfKind);
}

QString ToQtFileFilter(const QString& windowsFilter)
{
    // "Name|patterns|Name|patterns||": pairs until the first empty name.
    const QStringList parts = windowsFilter.split(u'|');
    QStringList entries;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        const QString& name = parts[i];
        if (name.isEmpty())
            break;
        QString patterns = parts[i + 1];
        patterns.replace(u';', u' ');
        entries.append(QStringLiteral("%1 (%2)").arg(name, patterns.simplified()));
    }
    return entries.join(QStringLiteral(";;"));
}

QString AspectRatioName(int mode)
{
    if (mode < 0 || mode >= int(AspectRatioNames.size()))
        return {};
    return QString::fromUtf16(AspectRatioNames[size_t(mode)]);
}

const TimeLineImagePathTable TimeLineImagePaths = {
    { u"TimeLine\\media_other_normal.bmp", u"TimeLine\\media_other_normal.bmp",
        u"TimeLine\\media_other_not.bmp", u"TimeLine\\media_other_press.bmp" },
    { u"TimeLine\\media_pic_normal.bmp", u"TimeLine\\media_pic_normal.bmp", u"TimeLine\\media_pic_not.bmp",
        u"TimeLine\\media_pic_press.bmp" },
    { u"TimeLine\\media_mov_normal.bmp", u"TimeLine\\media_mov_normal.bmp", u"TimeLine\\media_mov_not.bmp",
        u"TimeLine\\media_mov_press.bmp" },
    { u"TimeLine\\media_music_normal.bmp", u"TimeLine\\media_music_normal.bmp",
        u"TimeLine\\media_music_not.bmp", u"TimeLine\\media_music_press.bmp" },
    { u"TimeLine\\media_other2_normal.bmp", u"TimeLine\\media_other2_normal.bmp",
        u"TimeLine\\media_other2_not.bmp", u"TimeLine\\media_other2_press.bmp" },
    { u"TimeLine\\media_efe_normal.bmp", u"TimeLine\\media_efe_normal.bmp", u"TimeLine\\media_efe_not.bmp",
        u"TimeLine\\media_efe_press.bmp" },
    { u"TimeLine\\btn_lock_unlock.bmp", u"TimeLine\\btn_lock_lock.bmp" },
    { u"TimeLine\\btn_display_off.bmp", u"TimeLine\\btn_display_on.bmp" },
    { u"TimeLine\\icon_link_w.png", u"TimeLine\\icon_link_b.png" },
    { u"TimeLine\\icon_filter.bmp", u"TimeLine\\icon_filter.bmp" },
};

std::array<const char16_t*, kTimeLineImageSlotCount> TimeLineImageSlots()
{
    std::array<const char16_t*, kTimeLineImageSlotCount> names {};
    auto next = names.begin();
    const auto append = [&next](const auto& table) { next = std::copy(table.begin(), table.end(), next); };
    const TimeLineImagePathTable& t = TimeLineImagePaths;
    append(t.mediaNone);
    append(t.mediaPicture);
    append(t.mediaMovie);
    append(t.mediaSound);
    append(t.mediaCamera);
    append(t.lockButton);
    append(t.displayButton);
    append(t.linkIcon);
    append(t.mediaEffect);
    append(t.filterIcon);
    Q_ASSERT(next == names.end());
    return names;
}

std::span<const char16_t* const> ExtensionsUntilEnd(std::span<const char16_t* const> list)
{
    size_t count = 0;
    while (count < list.size() && list[count][0] != u'\0')
        ++count;
    return list.first(count);
}
