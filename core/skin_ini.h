#pragma once

#include "core/skin_table.h"
#include "platform/win_color.h"

#include <QColor>
#include <QImage>
#include <QString>
#include <array>
#include <cstdint>
#include <initializer_list>

namespace platform {
class CProfileFile;
}

// The editor's look: colours, image file names and fonts, each with a built-in default and
// replaceable from "Skin/Skin.ini" in the program folder. The skin never opens an image: the
// windows load them through ImageFilePath / LoadImage.
class CSkinIni {
public:
    enum Color {
#define KALEIDRA_SKIN_COLOR_ID(section, key, red, green, blue) key,
        KALEIDRA_SKIN_COLORS(KALEIDRA_SKIN_COLOR_ID)
#undef KALEIDRA_SKIN_COLOR_ID
            kColorCount
    };
    enum Image {
#define KALEIDRA_SKIN_IMAGE_ID(section, key, name) key,
        KALEIDRA_SKIN_IMAGES(KALEIDRA_SKIN_IMAGE_ID)
#undef KALEIDRA_SKIN_IMAGE_ID
            kImageCount
    };
    enum Font {
#define KALEIDRA_SKIN_FONT_ID(section, faceKey, sizeKey, size, getter) k##getter,
        KALEIDRA_SKIN_FONTS(KALEIDRA_SKIN_FONT_ID)
#undef KALEIDRA_SKIN_FONT_ID
            kFontCount
    };
    // The timeline's colours are the ones from this position on, in key order.
    static constexpr Color kFirstTimeLineColor = COLOR_TIMELINE_BK;

    CSkinIni();

    // Reads "Skin/Skin.ini" below the program folder. 0 only when there is no program folder;
    // 1 otherwise, also when the file is missing (the defaults stay).
    int Load();
    int LoadFromFolder(const QString& programFolder);

    // "red,green,blue": each part read as a decimal number, only its low 8 bits kept. A value
    // without two commas, an empty value or a missing key gives the default.
    static uint32_t ReadColor(const platform::CProfileFile& file,
        const QString& section,
        const QString& key,
        uint32_t defaultColor);
    // An image or face name as written; a missing key gives the default, an empty value an
    // empty name.
    static QString ReadImageName(const platform::CProfileFile& file,
        const QString& section,
        const QString& key,
        const QString& defaultName);
    // A font size; a missing key or an empty value gives the default.
    static int ReadFont(
        const platform::CProfileFile& file, const QString& section, const QString& key, int defaultSize);

    uint32_t GetColor(Color color) const
    {
        return m_colors[color];
    }
    QString GetImage(Image image) const
    {
        return m_images[image];
    }
    int GetFontSize(Font font) const
    {
        return m_fontSizes[font];
    }
    QString GetFontFace(Font font) const
    {
        return m_fontFaces[font];
    }

#define KALEIDRA_SKIN_FACE_GETTER(section, faceKey, sizeKey, size, getter)                                   \
    QString getter() const                                                                                   \
    {                                                                                                        \
        return m_fontFaces[k##getter];                                                                       \
    }
    KALEIDRA_SKIN_FONTS(KALEIDRA_SKIN_FACE_GETTER)
#undef KALEIDRA_SKIN_FACE_GETTER

    QString GetSplashImage() const
    {
        return m_images[SPLASH_PRO];
    }
    QString GetImgCampreviewImage() const
    {
        return m_images[IMG_CAMPREVIEW];
    }
    QString GetImgPreviewstartImage() const
    {
        return m_images[IMG_PREVIEWSTART];
    }
    QString GetImgWaitImage() const
    {
        return m_images[IMG_WAIT];
    }
    QString GetSliderImage() const
    {
        return m_images[SLIDER];
    }
    QString GetIconCamImage() const
    {
        return m_images[ICON_CAM];
    }
    QString GetIconFilterImage() const
    {
        return m_images[ICON_FILTER];
    }
    QString GetIconMusicImage() const
    {
        return m_images[ICON_MUSIC];
    }

    // Buttons and tabs by state: 0 normal, 1 disabled, 2 mouse over, 3 pressed.
#define KALEIDRA_SKIN_FOUR_STATES(getter, prefix)                                                            \
    QString getter(int state) const                                                                          \
    {                                                                                                        \
        return ImageByState(state, { prefix##_NORMAL, prefix##_NOT, prefix##_OVER, prefix##_PRESS });        \
    }
    KALEIDRA_SKIN_FOUR_STATES(GetBtnBrowsImage, BTN_BROWS)
    KALEIDRA_SKIN_FOUR_STATES(GetBtnCaptureImage, BTN_CAPTURE)
    KALEIDRA_SKIN_FOUR_STATES(GetBtnGuideImage, BTN_GUIDE)
    KALEIDRA_SKIN_FOUR_STATES(GetBtnInImage, BTN_IN)
    KALEIDRA_SKIN_FOUR_STATES(GetBtnLoopImage, BTN_LOOP)
    KALEIDRA_SKIN_FOUR_STATES(GetBtnOutImage, BTN_OUT)
    KALEIDRA_SKIN_FOUR_STATES(GetBtnPauseImage, BTN_PAUSE)
    KALEIDRA_SKIN_FOUR_STATES(GetBtnPulldownImage, BTN_PULLDOWN)
    KALEIDRA_SKIN_FOUR_STATES(GetBtnReplayImage, BTN_REPLAY)
    KALEIDRA_SKIN_FOUR_STATES(GetBtnScreenImage, BTN_SCREEN)
    KALEIDRA_SKIN_FOUR_STATES(GetBtnSpindownImage, BTN_SPINDOWN)
    KALEIDRA_SKIN_FOUR_STATES(GetBtnSpinupImage, BTN_SPINUP)
    KALEIDRA_SKIN_FOUR_STATES(GetBtnStartImage, BTN_START)
    KALEIDRA_SKIN_FOUR_STATES(GetBtnStopImage, BTN_STOP)
    KALEIDRA_SKIN_FOUR_STATES(GetBtnTopImage, BTN_TOP)
    KALEIDRA_SKIN_FOUR_STATES(GetButton1Image, BUTTON_1)
    KALEIDRA_SKIN_FOUR_STATES(GetButton2Image, BUTTON_2)
    KALEIDRA_SKIN_FOUR_STATES(GetTabEffectsImage, TAB_EFFECTS)
    KALEIDRA_SKIN_FOUR_STATES(GetTabFilterImage, TAB_FILTER)
    KALEIDRA_SKIN_FOUR_STATES(GetTabPropertyImage, TAB_PROPERTY)
    KALEIDRA_SKIN_FOUR_STATES(GetTabRemoteImage, TAB_REMOTE)
    KALEIDRA_SKIN_FOUR_STATES(GetTabTimeImage, TAB_TIME)
    KALEIDRA_SKIN_FOUR_STATES(GetTabViewerImage, TAB_VIEWER)
    KALEIDRA_SKIN_FOUR_STATES(GetBtnLongImage, BTN_LONG)
    KALEIDRA_SKIN_FOUR_STATES(GetBtnShortImage, BTN_SHORT)
#undef KALEIDRA_SKIN_FOUR_STATES

    // The remote button shows its pressed image in every state.
    QString GetBtnRemoteImage(int /*state*/) const
    {
        return m_images[BTN_REMOTE_PRESS];
    }
    // 0 off, 1 on.
    QString GetBtnMaskImage(int state) const
    {
        return ImageByState(state, { BTN_MASK_OFF, BTN_MASK_ON });
    }
    QString GetCheckSquareImage(int state) const
    {
        return ImageByState(state, { CHECK_SQUARE_OFF, CHECK_SQUARE_ON });
    }
    QString GetBtnDisplayImage(int state) const
    {
        return ImageByState(state, { BTN_DISPLAY_OFF, BTN_DISPLAY_ON });
    }
    // 0 silent, 1 full volume.
    QString GetImgVolImage(int state) const
    {
        return ImageByState(state, { IMG_VOL0, IMG_VOL100 });
    }
    // 0 unlocked, 1 locked.
    QString GetBtnLockImage(int state) const
    {
        return ImageByState(state, { BTN_LOCK_UNLOCK, BTN_LOCK_LOCK });
    }
    // 0 normal, 2 focused; 1 has no image.
    QString GetIconLinkImage(int state) const
    {
        return ImageByState(state, { ICON_LINK_NORMAL, kNoImage, ICON_LINK_FOCUS });
    }
    // Timeline media buttons: 0 normal, 1 disabled, 2 pressed.
#define KALEIDRA_SKIN_MEDIA_STATES(getter, prefix)                                                           \
    QString getter(int state) const                                                                          \
    {                                                                                                        \
        return ImageByState(state, { prefix##_NORMAL, prefix##_NOT, prefix##_PRESS });                       \
    }
    KALEIDRA_SKIN_MEDIA_STATES(GetMediaEfeImage, MEDIA_EFE)
    KALEIDRA_SKIN_MEDIA_STATES(GetMediaMovImage, MEDIA_MOV)
    KALEIDRA_SKIN_MEDIA_STATES(GetMediaMusicImage, MEDIA_MUSIC)
    KALEIDRA_SKIN_MEDIA_STATES(GetMediaCameraImage, MEDIA_CAMERA)
    KALEIDRA_SKIN_MEDIA_STATES(GetMediaNoneImage, MEDIA_NONE)
    KALEIDRA_SKIN_MEDIA_STATES(GetMediaPicImage, MEDIA_PIC)
#undef KALEIDRA_SKIN_MEDIA_STATES
    // Window frame images: 0 left top, 1 right top, 2 left under, 3 right under, 4 top,
    // 5 left, 6 right, 7 under.
    QString GetFrameImage(int corner) const
    {
        return ImageByState(corner,
            { CORNER_LEFT_TOP, CORNER_RIGHT_TOP, CORNER_LEFT_UNDER, CORNER_RIGHT_UNDER, CORNER_TOP,
                CORNER_LEFT, CORNER_RIGHT, CORNER_UNDER });
    }

    // The folder the image names are relative to ("Skin" in the program folder).
    QString SkinFolder() const
    {
        return m_skinFolder;
    }
    // The local path of an image name (its parts matched without regard to letter case when
    // they are not there as written), or empty when the name is empty or names a folder: such
    // an image counts as missing.
    QString ImageFilePath(const QString& imageName) const;
    // The image, or a null image when it is missing or cannot be read.
    QImage LoadImage(const QString& imageName) const;

private:
    static constexpr int kNoImage = -1;
    QString ImageByState(int state, std::initializer_list<int> images) const;

    QString m_skinFolder;
    std::array<uint32_t, kColorCount> m_colors;
    std::array<QString, kImageCount> m_images;
    std::array<QString, kFontCount> m_fontFaces;
    std::array<int, kFontCount> m_fontSizes;
};
