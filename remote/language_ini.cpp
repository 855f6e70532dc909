#include "remote/language_ini.h"

#include "platform/known_folders.h"
#include "platform/paths.h"
#include "platform/profile_file.h"

#include <QDir>
#include <QFileInfo>
#include <array>

namespace {

// The defaults of WINDOW_TITLE and HELP_CAPTION are the product name and " リモコンソフト".
constexpr std::array<LanguageKeyEntry, 19> kRemoteKeys = { {
    { WINDOW_TITLE, u"REMOTE", u"WINDOW_TITLE", u"Kaleidra リモコンソフト" },
    { CONNECTLIST_TITLE, u"REMOTE", u"CONNECTLIST_TITLE", u"IPアドレス一覧" },
    { VERSION_TITLE, u"REMOTE", u"VERSION_TITLE", u"バージョン情報 KaleidraRemote" },
    { MENU_FILE_CAPTION, u"REMOTE", u"MENU_FILE_CAPTION", u"ファイル" },
    { MENU_VIEW_CAPTION, u"REMOTE", u"MENU_VIEW_CAPTION", u"表示" },
    { MENU_HELP_CAPTION, u"REMOTE", u"MENU_HELP_CAPTION", u"ヘルプ" },
    { MENU_FILE_EXIT, u"REMOTE", u"MENU_FILE_EXIT", u"アプリケーションの終了" },
    { MENU_VIEW_CONNECTLIST, u"REMOTE", u"MENU_VIEW_CONNECTLIST", u"接続一覧の表示" },
    { MENU_HELP_VERSION, u"REMOTE", u"MENU_HELP_VERSION", u"バージョン情報 KaleidraRemote" },
    { HELP_CAPTION, u"REMOTE", u"HELP_CAPTION", u"Kaleidra リモコンソフト" },
    { IPADDRESS_CAPTION, u"REMOTE", u"IPADDRESS_CAPTION", u"IPアドレス" },
    { NOWTIME_CAPTION, u"REMOTE", u"NOWTIME_CAPTION", u"現在時間" },
    { PLAYTIME_CAPTION, u"REMOTE", u"PLAYTIME_CAPTION", u"再生時間" },
    { PROJECTTIME_CAPTION, u"REMOTE", u"PROJECTTIME_CAPTION", u"プロジェクト" },
    { NONE_CONNECT_CAPTION, u"REMOTE", u"NONE_CONNECT_CAPTION", u"接続なし" },
    { INIT_ERROR_CAPTION, u"REMOTE", u"INIT_ERROR_CAPTION", u"サーバ初期化エラー" },
    { CONNECT_COUNT_CAPTION, u"REMOTE", u"CONNECT_COUNT_CAPTION", u"台接続" },
    { ERROR_TITLE, u"REMOTE", u"ERROR_TITLE", u"KaleidraRemote" },
    { ASK_EXIT, u"REMOTE", u"ASK_EXIT", u"終了してよろしいですか？" },
} };

} // namespace

CLanguageIni::CLanguageIni()
    : m_defaultPath(platform::JoinPath(platform::ProgramFolder(), u"Language.Dat"))
{
}

QString CLanguageIni::FindIgnoringCase(const QString& path)
{
    if (path.isEmpty())
        return QString();
    if (platform::IsRegularFile(path))
        return path;
    const QFileInfo wanted(path);
    const QDir folder = wanted.dir();
    const QStringList names = folder.entryList(QDir::Files | QDir::Hidden, QDir::Name);
    for (const QString& name : names) {
        if (name.compare(wanted.fileName(), Qt::CaseInsensitive) == 0)
            return folder.filePath(name);
    }
    return QString();
}

void CLanguageIni::Load(const QString& path)
{
    QString file = FindIgnoringCase(path);
    if (file.isEmpty())
        file = FindIgnoringCase(m_defaultPath);
    const platform::CProfileFile profile(file.isEmpty() ? m_defaultPath : file);
    for (const LanguageKeyEntry& row : kRemoteKeys) {
        m_texts[row.id] = ReadString(QString::fromUtf16(row.section), QString::fromUtf16(row.key),
            QString::fromUtf16(row.defaultText), profile);
    }
}

QString CLanguageIni::GetText(int id) const
{
    const auto found = m_texts.find(id);
    return found == m_texts.end() ? QString() : found->second;
}

QString CLanguageIni::ReadString(const QString& section,
    const QString& key,
    const QString& defaultText,
    const platform::CProfileFile& file)
{
    const QString value = file.String(section, key, defaultText, kValueLimit);
    return value.isEmpty() ? defaultText : value;
}
