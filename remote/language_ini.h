#pragma once

#include <QString>
#include <map>

namespace platform {
class CProfileFile;
}

// Ids of the remote program's texts in section REMOTE of the language file.
enum RemoteTextId : int {
    WINDOW_TITLE = 86,
    CONNECTLIST_TITLE = 87,
    VERSION_TITLE = 88,
    MENU_FILE_CAPTION = 89,
    MENU_VIEW_CAPTION = 90,
    MENU_HELP_CAPTION = 91,
    MENU_FILE_EXIT = 92,
    MENU_VIEW_CONNECTLIST = 93,
    MENU_HELP_VERSION = 94,
    HELP_CAPTION = 95,
    IPADDRESS_CAPTION = 96,
    NOWTIME_CAPTION = 97,
    PLAYTIME_CAPTION = 98,
    PROJECTTIME_CAPTION = 99,
    NONE_CONNECT_CAPTION = 100,
    INIT_ERROR_CAPTION = 101,
    CONNECT_COUNT_CAPTION = 102,
    ERROR_TITLE = 103,
    ASK_EXIT = 104,
};

// One row of the key table: where a text lives in the language file and its built-in default.
struct LanguageKeyEntry {
    int id;
    const char16_t* section;
    const char16_t* key;
    const char16_t* defaultText;
};

// The remote program's label table, read once at start from "Language.Dat" in the program
// folder (found whatever the letter case of its name). A missing file, key or value gives the
// built-in default.
class CLanguageIni {
public:
    static constexpr int kValueLimit = 512; // longer values are cut

    CLanguageIni();

    // Reads every row of the key table from the file at path; an empty path, or one where no
    // file is, reads the default path.
    void Load(const QString& path);

    // The text of the id, or "" when the id is not in the table.
    QString GetText(int id) const;

    QString DefaultPath() const { return m_defaultPath; }
    void SetDefaultPath(const QString& path) { m_defaultPath = path; }

    static QString ReadString(const QString& section,
        const QString& key,
        const QString& defaultText,
        const platform::CProfileFile& file);

    // The file at path, or else the one in the same folder whose name differs only in letter
    // case; "" when there is none.
    static QString FindIgnoringCase(const QString& path);

private:
    std::map<int, QString> m_texts;
    QString m_defaultPath;
};
