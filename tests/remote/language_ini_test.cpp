#include "remote/language_ini.h"
#include "tests/fixtures/temp_folder.h"

#include <gtest/gtest.h>

namespace {

TEST(LanguageIni, ReadsSectionRemoteWhateverTheLetterCaseOfTheFileName)
{
    CTempFolder folder;
    const QString longValue(600, QLatin1Char('x'));
    folder.WriteFile(QStringLiteral("language.DAT"),
        Utf16LeWithBom(QStringLiteral("[SETTING_DLG]\r\nSD_TITLE=Settings\r\n"
                                      "[remote]\r\n"
                                      "window_title=  Remote control  \r\n"
                                      "ASK_EXIT=\r\n"
                                      "NOWTIME_CAPTION=\"Now\"\r\n"
                                      "HELP_CAPTION=")
            + longValue + QStringLiteral("\r\n")));
    CLanguageIni language;
    language.SetDefaultPath(folder.FilePath(QStringLiteral("Language.Dat")));
    language.Load(QString());

    struct Case {
        int id;
        QString expected;
    };
    const Case cases[] = {
        { WINDOW_TITLE, QStringLiteral("Remote control") },
        { ASK_EXIT, QStringLiteral("終了してよろしいですか？") }, // an empty value gives the default
        { NOWTIME_CAPTION, QStringLiteral("Now") },
        { HELP_CAPTION, QString(512, QLatin1Char('x')) }, // cut to 512 characters
        { PLAYTIME_CAPTION, QStringLiteral("再生時間") }, // a missing key gives the default
        { CONNECT_COUNT_CAPTION, QStringLiteral("台接続") },
        { 85, QString() }, // outside the table
        { 105, QString() },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.id);
        EXPECT_EQ(language.GetText(c.id), c.expected);
    }
}

TEST(LanguageIni, FallsBackToTheDefaultPathAndThenToTheBuiltInTexts)
{
    CTempFolder folder;
    folder.WriteFile(QStringLiteral("Language.dat"), "[REMOTE]\nWINDOW_TITLE=From default\n");
    const QString other
        = folder.WriteFile(QStringLiteral("other/lang.ini"), "[REMOTE]\nWINDOW_TITLE=Given\n");

    CLanguageIni language;
    language.SetDefaultPath(folder.FilePath(QStringLiteral("Language.Dat")));
    language.Load(other);
    EXPECT_EQ(language.GetText(WINDOW_TITLE), QStringLiteral("Given"));
    language.Load(folder.FilePath(QStringLiteral("missing.dat")));
    EXPECT_EQ(language.GetText(WINDOW_TITLE), QStringLiteral("From default"));

    CLanguageIni withoutFile;
    withoutFile.SetDefaultPath(folder.FilePath(QStringLiteral("nowhere/Language.Dat")));
    withoutFile.Load(QString());
    EXPECT_EQ(withoutFile.GetText(WINDOW_TITLE), QStringLiteral("Kaleidra リモコンソフト"));
    EXPECT_EQ(withoutFile.GetText(ERROR_TITLE), QStringLiteral("KaleidraRemote"));
}

} // namespace
