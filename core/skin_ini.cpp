#include "core/skin_ini.h"

#include "core/program_data_file.h"
#include "platform/known_folders.h"
#include "platform/number_text.h"
#include "platform/paths.h"
#include "platform/picture_files.h"
#include "platform/profile_file.h"

namespace {

struct ColorEntry {
    const char16_t* section;
    const char16_t* key;
    uint32_t defaultColor;
};
struct ImageEntry {
    const char16_t* section;
    const char16_t* key;
    const char16_t* defaultName;
};
struct FontEntry {
    const char16_t* section;
    const char16_t* faceKey;
    const char16_t* sizeKey;
    int defaultSize;
};

constexpr ColorEntry kColorTable[] = {
#define KALEIDRA_SKIN_COLOR_ENTRY(section, key, red, green, blue)                                            \
    { u"" #section, u"" #key, platform::Rgb(red, green, blue) },
    KALEIDRA_SKIN_COLORS(KALEIDRA_SKIN_COLOR_ENTRY)
#undef KALEIDRA_SKIN_COLOR_ENTRY
};
constexpr ImageEntry kImageTable[] = {
#define KALEIDRA_SKIN_IMAGE_ENTRY(section, key, name) { u"" #section, u"" #key, name },
    KALEIDRA_SKIN_IMAGES(KALEIDRA_SKIN_IMAGE_ENTRY)
#undef KALEIDRA_SKIN_IMAGE_ENTRY
};
constexpr FontEntry kFontTable[] = {
#define KALEIDRA_SKIN_FONT_ENTRY(section, faceKey, sizeKey, size, getter)                                    \
    { u"" #section, u"" #faceKey, u"" #sizeKey, size },
    KALEIDRA_SKIN_FONTS(KALEIDRA_SKIN_FONT_ENTRY)
#undef KALEIDRA_SKIN_FONT_ENTRY
};
static_assert(std::size(kColorTable) == CSkinIni::kColorCount);
static_assert(std::size(kImageTable) == CSkinIni::kImageCount);
static_assert(std::size(kFontTable) == CSkinIni::kFontCount);

constexpr char16_t kDefaultFace[] = u"Meiryo UI";

QString Text(const char16_t* text)
{
    return QString::fromUtf16(text);
}

} // namespace

CSkinIni::CSkinIni()
    : m_skinFolder(ProgramDataPath(platform::ProgramFolder(), QStringLiteral("Skin")))
{
    for (int i = 0; i < kColorCount; ++i)
        m_colors[size_t(i)] = kColorTable[i].defaultColor;
    for (int i = 0; i < kImageCount; ++i)
        m_images[size_t(i)] = Text(kImageTable[i].defaultName);
    for (int i = 0; i < kFontCount; ++i) {
        m_fontFaces[size_t(i)] = Text(kDefaultFace);
        m_fontSizes[size_t(i)] = kFontTable[i].defaultSize;
    }
}

int CSkinIni::Load()
{
    return LoadFromFolder(platform::ProgramFolder());
}

int CSkinIni::LoadFromFolder(const QString& programFolder)
{
    if (programFolder.isEmpty())
        return 0;
    m_skinFolder = ProgramDataPath(programFolder, QStringLiteral("Skin"));
    const auto file = LoadProgramDataFile(programFolder, QStringLiteral("Skin/Skin.ini"));
    if (!file)
        return 1;
    for (int i = 0; i < kColorCount; ++i) {
        const ColorEntry& entry = kColorTable[i];
        m_colors[size_t(i)] = ReadColor(*file, Text(entry.section), Text(entry.key), m_colors[size_t(i)]);
    }
    for (int i = 0; i < kImageCount; ++i) {
        const ImageEntry& entry = kImageTable[i];
        m_images[size_t(i)] = ReadImageName(*file, Text(entry.section), Text(entry.key), m_images[size_t(i)]);
    }
    for (int i = 0; i < kFontCount; ++i) {
        const FontEntry& entry = kFontTable[i];
        m_fontFaces[size_t(i)]
            = ReadImageName(*file, Text(entry.section), Text(entry.faceKey), m_fontFaces[size_t(i)]);
        m_fontSizes[size_t(i)]
            = ReadFont(*file, Text(entry.section), Text(entry.sizeKey), m_fontSizes[size_t(i)]);
    }
    return 1;
}

uint32_t CSkinIni::ReadColor(
    const platform::CProfileFile& file, const QString& section, const QString& key, uint32_t defaultColor)
{
    const QString value = file.String(section, key, QString(), platform::kProfileValueLimit);
    const qsizetype firstComma = value.indexOf(u',');
    const qsizetype secondComma = firstComma < 0 ? -1 : value.indexOf(u',', firstComma + 1);
    if (secondComma < 0)
        return defaultColor;
    const QStringView text(value);
    // Only the low 8 bits of each part count, as a Windows colour macro would keep them.
    const auto part = [](QStringView digits) { return uint8_t(platform::WToI(digits) & 0xFF); };
    return platform::Rgb(part(text.first(firstComma)),
        part(text.sliced(firstComma + 1, secondComma - firstComma - 1)), part(text.sliced(secondComma + 1)));
}

QString CSkinIni::ReadImageName(const platform::CProfileFile& file,
    const QString& section,
    const QString& key,
    const QString& defaultName)
{
    return file.String(section, key, defaultName, platform::kProfileValueLimit);
}

int CSkinIni::ReadFont(
    const platform::CProfileFile& file, const QString& section, const QString& key, int defaultSize)
{
    const QString value = file.String(section, key, QString(), platform::kProfileValueLimit);
    if (value.isEmpty())
        return defaultSize;
    return platform::WToI(value);
}

QString CSkinIni::ImageFilePath(const QString& imageName) const
{
    if (imageName.isEmpty())
        return {};
    const QString path = ProgramDataPath(m_skinFolder, platform::DataFilePathToLocal(imageName));
    if (platform::IsDirectory(path))
        return {};
    return path;
}

QImage CSkinIni::LoadImage(const QString& imageName) const
{
    const QString path = ImageFilePath(imageName);
    return platform::DecodedPictureFile(path);
}

QString CSkinIni::ImageByState(int state, std::initializer_list<int> images) const
{
    if (state < 0 || state >= int(images.size()))
        return {};
    const int image = images.begin()[state];
    return image == kNoImage ? QString() : m_images[size_t(image)];
}
