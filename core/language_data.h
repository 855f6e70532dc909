#pragma once

#include "core/language_text_table.h"

#include <QString>
#include <array>

namespace platform {
class CProfileFile;
}

// The labels of the editor's menus, dialogs and file types: built-in Japanese defaults, each
// replaceable from "Language.dat" in the program folder. Loaded once at start-up, read-only
// afterwards.
class CLanguageData {
public:
    // Position of each text in loading order.
    enum TextIndex {
#define KALEIDRA_TEXT_INDEX(section, key, getter, text) k##getter,
#define KALEIDRA_UNREAD_INDEX(section, key, text) k##key,
        KALEIDRA_LANGUAGE_TEXTS(KALEIDRA_TEXT_INDEX, KALEIDRA_UNREAD_INDEX)
#undef KALEIDRA_TEXT_INDEX
#undef KALEIDRA_UNREAD_INDEX
            kTextCount
    };

    CLanguageData();

    // Reads "Language.dat" from the program folder. 0 only when there is no program folder;
    // 1 otherwise, also when the file is missing (the defaults stay).
    int Load();
    // The same with the program folder given.
    int LoadFromFolder(const QString& programFolder);

    // The value of the key, with the default when it is missing; unless noFallback is set an
    // empty value also gives the default.
    static QString ReadString(const platform::CProfileFile& file,
        const QString& section,
        const QString& key,
        const QString& defaultText,
        int noFallback);

#define KALEIDRA_TEXT_GETTER(section, key, getter, text)                                                     \
    QString getter() const                                                                                   \
    {                                                                                                        \
        return m_texts[k##getter];                                                                           \
    }
#define KALEIDRA_NO_GETTER(section, key, text)
    KALEIDRA_LANGUAGE_TEXTS(KALEIDRA_TEXT_GETTER, KALEIDRA_NO_GETTER)
#undef KALEIDRA_TEXT_GETTER
#undef KALEIDRA_NO_GETTER

    // Play modes 0 normal, 1 loop; empty for other indexes.
    QString GetPdPlaymode(int index) const;
    // Mask shapes 0 square, 1 circle, 2 image; empty for other indexes.
    QString GetPdMasktype(int index) const;
    // Viewer start-up modes 0 dual, 1 single; empty for other indexes.
    QString GetIdPretabMode(int index) const;

    // Any text by its position (also the unread ones).
    QString Text(TextIndex index) const
    {
        return m_texts[size_t(index)];
    }
    // Section and key of a text.
    static QString SectionOf(TextIndex index);
    static QString KeyOf(TextIndex index);
    static QString DefaultOf(TextIndex index);

private:
    std::array<QString, kTextCount> m_texts;
};

// The 40 texts of the timeline's pop-up menus and its label for an item without a camera.
// Slots 8 and 9 stay empty.
struct ViewTextRecord {
    static constexpr int kSlotCount = 40;
    std::array<QString, kSlotCount> texts;
};

// Fills the record's slots from the language table in the timeline's slot order.
ViewTextRecord MakeViewTextRecord(const CLanguageData& language);
