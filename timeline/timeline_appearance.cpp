#include "timeline/timeline_appearance.h"

#include "core/constant_tables.h"
#include "platform/paths.h"
#include "platform/picture_files.h"

using controls::Rgb;

CTimeLineAppearance::CTimeLineAppearance()
    : m_colors {
        Rgb(43, 43, 43), Rgb(121, 121, 121), Rgb(121, 121, 121), Rgb(90, 90, 90), Rgb(82, 82, 82),
        Rgb(255, 51, 0), Rgb(79, 78, 78), Rgb(255, 51, 0), Rgb(200, 200, 200), Rgb(128, 128, 128),
        Rgb(255, 204, 0), Rgb(104, 103, 101), Rgb(255, 204, 0), Rgb(255, 255, 255), Rgb(51, 51, 51),
        Rgb(0, 0, 0), Rgb(255, 255, 255), Rgb(0, 0, 0), Rgb(128, 128, 128), Rgb(255, 255, 255),
        Rgb(90, 90, 90), Rgb(128, 128, 128), Rgb(255, 255, 255), Rgb(75, 75, 75), Rgb(65, 65, 65),
        Rgb(50, 50, 50), Rgb(45, 45, 45), Rgb(60, 60, 60), Rgb(30, 30, 30),
    }
    , m_fonts { ViewSettingRecord::Font { QStringLiteral("Meiryo UI"), 110 },
                ViewSettingRecord::Font { QStringLiteral("Meiryo UI"), 140 },
                ViewSettingRecord::Font { QStringLiteral("Meiryo UI"), 100 } }
{
    const auto names = TimeLineImageSlots();
    for (size_t slot = 0; slot < names.size(); ++slot)
        m_imageNames[slot] = QString::fromUtf16(names[slot]);
    for (size_t icon = 0; icon < TimeLineIconPaths.size(); ++icon)
        m_iconNames[icon] = QString::fromUtf16(TimeLineIconPaths[icon]);
}

void CTimeLineAppearance::SetSkin(const ViewSettingRecord& record)
{
    m_colors = record.colors;
    m_imageNames = record.images;
    m_iconNames = record.icons;
    for (size_t font = 0; font < m_fonts.size(); ++font) {
        if (!record.fonts[font].name.isEmpty())
            m_fonts[font].name = record.fonts[font].name;
        if (record.fonts[font].size > 0)
            m_fonts[font].size = record.fonts[font].size;
    }
}

void CTimeLineAppearance::LoadImages(const QString& folder)
{
    m_imageFolder = folder;
    for (size_t slot = 0; slot < m_images.size(); ++slot) {
        m_images[slot] = QImage();
        if (m_imageNames[slot].isEmpty())
            continue;
        const QString path = platform::JoinPath(folder, platform::DataFilePathToLocal(m_imageNames[slot]));
        m_images[slot] = platform::DecodedPictureFile(path);
    }
}

COLORREF CTimeLineAppearance::Color(int index) const
{
    return index >= 0 && index < kColorCount ? m_colors[size_t(index)] : 0;
}

const QImage& CTimeLineAppearance::Image(int slot) const
{
    static const QImage none;
    return slot >= 0 && slot < kImageSlotCount ? m_images[size_t(slot)] : none;
}
