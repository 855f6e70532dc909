#include "core/language_data.h"

#include "core/program_data_file.h"
#include "platform/known_folders.h"
#include "platform/profile_file.h"

namespace {

struct TextEntry {
    const char16_t* section;
    const char16_t* key;
    const char16_t* defaultText;
};

constexpr TextEntry kTextTable[] = {
#define KALEIDRA_TEXT_ENTRY(section, key, getter, text) { u"" #section, u"" #key, text },
#define KALEIDRA_UNREAD_ENTRY(section, key, text) { u"" #section, u"" #key, text },
    KALEIDRA_LANGUAGE_TEXTS(KALEIDRA_TEXT_ENTRY, KALEIDRA_UNREAD_ENTRY)
#undef KALEIDRA_TEXT_ENTRY
#undef KALEIDRA_UNREAD_ENTRY
};
static_assert(std::size(kTextTable) == CLanguageData::kTextCount);

QString IndexedText(
    const CLanguageData& data, int index, std::initializer_list<CLanguageData::TextIndex> texts)
{
    if (index < 0 || index >= int(texts.size()))
        return {};
    return data.Text(texts.begin()[index]);
}

} // namespace

CLanguageData::CLanguageData()
{
    for (int i = 0; i < kTextCount; ++i)
        m_texts[size_t(i)] = QString::fromUtf16(kTextTable[i].defaultText);
}

int CLanguageData::Load()
{
    return LoadFromFolder(platform::ProgramFolder());
}

int CLanguageData::LoadFromFolder(const QString& programFolder)
{
    if (programFolder.isEmpty())
        return 0;
    const auto file = LoadProgramDataFile(programFolder, QStringLiteral("Language.dat"));
    if (!file)
        return 1;
    for (int i = 0; i < kTextCount; ++i) {
        // An empty support address is a choice of the language file: it hides the address.
        const int noFallback = i == kGetSupportUrlPro ? 1 : 0;
        m_texts[size_t(i)]
            = ReadString(*file, SectionOf(TextIndex(i)), KeyOf(TextIndex(i)), m_texts[size_t(i)], noFallback);
    }
    return 1;
}

QString CLanguageData::ReadString(const platform::CProfileFile& file,
    const QString& section,
    const QString& key,
    const QString& defaultText,
    int noFallback)
{
    const QString value = file.String(section, key, defaultText, platform::kProfileValueLimit);
    if (!noFallback && value.isEmpty())
        return defaultText;
    return value;
}

QString CLanguageData::GetPdPlaymode(int index) const
{
    return IndexedText(*this, index, { kGetPdPlaymodeNormal, kGetPdPlaymodeLoop });
}

QString CLanguageData::GetPdMasktype(int index) const
{
    return IndexedText(*this, index, { kGetPdMasktypeSquare, kGetPdMasktypeCircle, kGetPdMasktypeImage });
}

QString CLanguageData::GetIdPretabMode(int index) const
{
    return IndexedText(*this, index, { kGetIdPretabModeDual, kGetIdPretabModeSingle });
}

QString CLanguageData::SectionOf(TextIndex index)
{
    return QString::fromUtf16(kTextTable[index].section);
}

QString CLanguageData::KeyOf(TextIndex index)
{
    return QString::fromUtf16(kTextTable[index].key);
}

QString CLanguageData::DefaultOf(TextIndex index)
{
    return QString::fromUtf16(kTextTable[index].defaultText);
}

ViewTextRecord MakeViewTextRecord(const CLanguageData& language)
{
    // Slot order of the timeline's pop-up menus; -1 marks the two slots that stay empty.
    static constexpr int kSlots[ViewTextRecord::kSlotCount] = {
        CLanguageData::kGetPopSetMenuSet,
        CLanguageData::kGetPopSetMenuPropety,
        CLanguageData::kGetPopSetMenuEffect,
        CLanguageData::kGetPopSetMenuFilter,
        CLanguageData::kGetPopFaceMenuFace,
        CLanguageData::kGetPopFaceMenuAdd,
        CLanguageData::kGetPopFaceMenuDelete,
        CLanguageData::kGetPopFaceMenuInsert,
        -1,
        -1,
        CLanguageData::kGetPopFaceMenuPosClear,
        CLanguageData::kGetPopItemMenuItem,
        CLanguageData::kGetPopItemMenuAdd,
        CLanguageData::kGetPopItemMenuDelete,
        CLanguageData::kGetPopItemMenuAllDelete,
        CLanguageData::kGetPopItemMenuEffect,
        CLanguageData::kGetPopItemMenuDisplayChange,
        CLanguageData::kGetPopItemMenuInOutClear,
        CLanguageData::kGetPopItemMenuInClear,
        CLanguageData::kGetPopItemMenuOutClear,
        CLanguageData::kGetPopItemMenuFilter,
        CLanguageData::kGetPopItemMenuClear,
        CLanguageData::kGetPopItemMenuEffectCopy,
        CLanguageData::kGetPopItemMenuEffectPaste,
        CLanguageData::kGetPopItemMenuFilterCopy,
        CLanguageData::kGetPopItemMenuFilterPaste,
        CLanguageData::kGetPopEditMenuEdit,
        CLanguageData::kGetPopEditMenuCopy,
        CLanguageData::kGetPopEditMenuPaste,
        CLanguageData::kGetPopEditMenuAllSelect,
        CLanguageData::kGetPopEditMenuLeft,
        CLanguageData::kGetPopEditMenuRight,
        CLanguageData::kGetPopAlignMenuAlign,
        CLanguageData::kGetPopAlignMenuStartTime,
        CLanguageData::kGetPopAlignMenuPlayTime,
        CLanguageData::kGetPopAlignMenuStartEarly,
        CLanguageData::kGetPopAlignMenuStartLate,
        CLanguageData::kGetPopAlignMenuPlayShort,
        CLanguageData::kGetPopAlignMenuPlayLong,
        CLanguageData::kGetTimelineItemCameraNone,
    };
    ViewTextRecord record;
    for (int slot = 0; slot < ViewTextRecord::kSlotCount; ++slot) {
        if (kSlots[slot] >= 0)
            record.texts[size_t(slot)] = language.Text(CLanguageData::TextIndex(kSlots[slot]));
    }
    return record;
}
