#pragma once

#include <QString>
#include <array>
#include <span>

class CLanguageData;

// Fixed string tables read by several windows of the editor. Image paths are relative to the
// skin folder and written with '\' as in the skin file; turn them into local paths before use.

// The splash picture, relative to the skin folder (equals the skin's default SPLASH_PRO).
inline constexpr char16_t SplashImagePath[] = u"SPLASH\\kaleidrapro_splashwindow.png";

// Item kind values (the item record's Mode) that have a name.
inline constexpr std::array<int, 6> MediaKindValues = { 0, 1, 2, 3, 6, 7 };
// Names parallel to MediaKindValues.
inline constexpr std::array<const char16_t*, 6> MediaKindNames
    = { u"NONE", u"IMAGE", u"CAMERA", u"MOVIE", u"SOUND", u"LINK" };

// The name of an item kind value; empty for a value without a name.
QString MediaKindName(int kind);

// File-open filters in the pipe-separated Windows form, indexed by item kind value; "%s" stands
// for the language's "all files of this kind" entry. Kinds without a filter have an empty one.
inline constexpr std::array<const char16_t*, 8> FileDialogFilters = {
    u"",
    u"JPEG(*.jpg, *.jpeg)|*.jpg;*.jpeg|BMP(*.bmp)|*.bmp|PNG(*.png)|*.png|%s|*.jpg;*.jpeg;*.bmp;*.png||",
    u"",
    u"Mov(*.mov)|*.mov|MP4(*.mp4)|*.mp4|%s|*.mov;*.mp4||",
    u"",
    u"",
    u"Mp3(*.mp3)|*.mp3|WAVE(*.wav)|*.wav|%s|*.mp3;*.wav||",
    u"",
};

// The Windows filter of a kind with "%s" filled from the language table; empty for other kinds.
QString FileDialogFilter(int kind, const CLanguageData& language);

// Converts a pipe-separated Windows filter ("Name|*.a;*.b|...||") to Qt's form
// ("Name (*.a *.b);;...").
QString ToQtFileFilter(const QString& windowsFilter);

// Names of the viewer's resolution modes 0 to 4.
inline constexpr std::array<const char16_t*, 5> AspectRatioNames
    = { u"FREE", u"16:9", u"4:3", u"9:16", u"3:4" };

// The name of a resolution mode; empty outside 0 to 4.
QString AspectRatioName(int mode);

// The timeline's built-in image file names, copied by the timeline when it is constructed.
struct TimeLineImagePathTable {
    std::array<const char16_t*, 4> mediaNone;
    std::array<const char16_t*, 4> mediaPicture;
    std::array<const char16_t*, 4> mediaMovie;
    std::array<const char16_t*, 4> mediaSound;
    std::array<const char16_t*, 4> mediaCamera;
    std::array<const char16_t*, 4> mediaEffect;
    std::array<const char16_t*, 2> lockButton;
    std::array<const char16_t*, 2> displayButton;
    std::array<const char16_t*, 2> linkIcon;
    std::array<const char16_t*, 2> filterIcon;
};
extern const TimeLineImagePathTable TimeLineImagePaths;

// The same 32 names in the order of the timeline's image slots: the media bars of kinds none,
// picture, movie, sound and camera, the lock and display buttons, the link icon, the effect bar
// and the filter icon.
inline constexpr int kTimeLineImageSlotCount = 32;
std::array<const char16_t*, kTimeLineImageSlotCount> TimeLineImageSlots();

// The timeline's two icons drawn on item bars: camera, then music.
inline constexpr std::array<const char16_t*, 2> TimeLineIconPaths
    = { u"TimeLine\\icon_cam.bmp", u"TimeLine\\icon_music.bmp" };

// Extensions without the dot that decide the kind of a dropped file; each list ends with an
// empty entry.
inline constexpr std::array<const char16_t*, 5> PictureExtensions = { u"jpg", u"jpeg", u"bmp", u"png", u"" };
inline constexpr std::array<const char16_t*, 3> MovieExtensions = { u"mov", u"mp4", u"" };
inline constexpr std::array<const char16_t*, 3> SoundExtensions = { u"mp3", u"wav", u"" };

// The entries of an extension list before its empty end.
std::span<const char16_t* const> ExtensionsUntilEnd(std::span<const char16_t* const> list);
