#pragma once

#include "controls/win_color.h"

#include <QImage>
#include <QString>
#include <array>
#include <cstdint>

// What the view hands to the timeline from the skin: the 29 timeline colours in key order, the
// 32 image file names in slot order, the camera and music icon names, and the three fonts
// (header, face number, item) with their sizes in tenths of a point.
struct ViewSettingRecord {
    struct Font {
        QString name;
        int32_t size = 0;
    };
    std::array<COLORREF, 29> colors {};
    std::array<QString, 32> images;
    std::array<QString, 2> icons;
    std::array<Font, 3> fonts;
};

// The timeline's colour table, skin image names and pictures, icon names and fonts. Widget-free:
// the pictures are QImages, drawn later by the timeline's painting.
class CTimeLineAppearance {
public:
    static constexpr int kColorCount = 29;
    static constexpr int kImageSlotCount = 32;
    // Image slots by use.
    static constexpr int kSlotLockOff = 20;
    static constexpr int kSlotDisplayOff = 22;
    static constexpr int kSlotLinkIcon = 24;
    static constexpr int kSlotEffectBar = 26;
    static constexpr int kSlotFilterIcon = 30;

    CTimeLineAppearance();

    // Takes the record's colours, image and icon names; a font keeps its name when the record's
    // is empty and its size when the record's is not above 0.
    void SetSkin(const ViewSettingRecord& record);
    // Loads the 32 pictures from the folder (names with '\' are taken as relative paths); a
    // missing or unreadable file leaves its slot empty.
    void LoadImages(const QString& folder);

    COLORREF Color(int index) const;
    const std::array<COLORREF, kColorCount>& Colors() const { return m_colors; }
    const std::array<QString, kImageSlotCount>& ImageNames() const { return m_imageNames; }
    const std::array<QString, 2>& IconNames() const { return m_iconNames; }
    const std::array<ViewSettingRecord::Font, 3>& Fonts() const { return m_fonts; }
    QString ImageFolder() const { return m_imageFolder; }
    // The picture of a slot; a null image when the slot is empty.
    const QImage& Image(int slot) const;

private:
    std::array<COLORREF, kColorCount> m_colors;
    std::array<QString, kImageSlotCount> m_imageNames;
    std::array<QString, 2> m_iconNames;
    std::array<ViewSettingRecord::Font, 3> m_fonts;
    QString m_imageFolder;
    std::array<QImage, kImageSlotCount> m_images;
};
