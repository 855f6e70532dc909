#include "core/message_catalog.h"
#include "tests/core/qstring_printer.h"

#include "platform/dialog_service.h"
#include "tests/fixtures/scripted_dialog_service.h"
#include "tests/fixtures/temp_folder.h"

#include <QStringList>
#include <gtest/gtest.h>

namespace {

const QString kMismatch1 = QStringLiteral("1番目のフォーマット文字列が一致していません。");
const QString kMismatch2 = QStringLiteral("2番目のフォーマット文字列が一致していません。");
const QString kPercentN = QStringLiteral("メッセージに[%n]は使用出来ません。");
const QString kOutOfRange = QStringLiteral("メッセージIDが範囲外です。");

QByteArray MessageFile(const QStringList& entries)
{
    return (QStringLiteral("[MESSAGE]\r\n") + entries.join(QStringLiteral("\r\n")) + QStringLiteral("\r\n"))
        .toUtf8();
}

} // namespace

TEST(MessageCatalog, DefaultsIncludeLineBreaksAndExactPunctuation)
{
    CMessageCatalog catalog;
    EXPECT_EQ(catalog.GetMessage(0), QStringLiteral("プロジェクトファイルの保存先を入力してください。"));
    EXPECT_EQ(catalog.GetMessage(23),
        QStringLiteral("接続先IPアドレスが正しくありません。\n\".\"区切りで入力してください。"));
    EXPECT_EQ(catalog.GetMessage(27), QStringLiteral("%d台のカメラを検出しました。"));
    EXPECT_EQ(catalog.GetMessage(119), QStringLiteral("QuickTimeの初期化に失敗しました。 "));
    EXPECT_EQ(catalog.GetMessage(122), QStringLiteral("画像の読込みに失敗しました。"));
    EXPECT_FALSE(catalog.GetMessage(84).isEmpty());
    EXPECT_TRUE(catalog.LastError().isEmpty());
    for (const int id : { -1, 123 }) {
        EXPECT_EQ(catalog.GetMessage(id), QString()) << id;
        EXPECT_EQ(catalog.LastError(), kOutOfRange);
    }
}

TEST(MessageCatalog, EveryDefaultPassesItsOwnCheck)
{
    CMessageCatalog catalog;
    for (int id = 0; id < kMessageCount; ++id)
        EXPECT_EQ(catalog.CheckFormat(id, catalog.GetMessage(id)), 1)
            << id << catalog.LastError().toStdString();
}

TEST(MessageCatalog, FormatCheck)
{
    const struct {
        const char* name;
        int id;
        QString text;
        int result;
        QString error;
    } cases[] = {
        { "expected %d", 27, "%d台", 1, "" },
        { "%s where %d is expected", 27, "%s台", 0, kMismatch1 },
        { "capital %D is accepted", 27, "%D台", 1, "" },
        { "no specifier at all", 27, "カメラ検出", 1, "" },
        { "a second specifier the id does not expect", 27, "%d台 %d", 0, kMismatch2 },
        { "%% counts as two", 27, "%d台 100%%", 0, kMismatch2 },
        { "a percent sign where nothing is expected", 0, "100%", 0, kMismatch1 },
        { "%n for any id", 5, "a%nb", 0, kPercentN },
        { "%n even where %d is expected", 27, "%d%n", 0, kPercentN },
        { "two %s", 118, "「%s」～「%s」", 1, "" },
        { "fewer than expected", 118, "「%s」", 1, "" },
        { "second specifier differs", 118, "「%s」～「%d」", 0, kMismatch2 },
        { "width between % and s", 36, "%5s", 0, kMismatch1 },
        { "id below the range", -1, "x", 0, kOutOfRange },
        { "id above the range", 123, "x", 0, kOutOfRange },
        { "missing text", 0, QString(), 0, "引数エラーです。" },
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        CMessageCatalog catalog;
        EXPECT_EQ(catalog.CheckFormat(c.id, c.text), c.result);
        EXPECT_EQ(catalog.LastError(), c.error);
    }
}

TEST(MessageCatalog, LoadReplacesAcceptedTextsAndReportsRefusedOnesInOneBox)
{
    CTempFolder folder;
    folder.WriteFile(QStringLiteral("Message.dat"),
        MessageFile({ "MSG_000=never read", "MSG_001=first\\nsecond", "MSG_002=\\nleading break",
            "MSG_003=", "MSG_006=a%nb", "MSG_028=%s台", "MSG_031=FACE%D removed", "MSG_119=「%s」～「%d」",
            "MSG_124=never read" }));
    CScriptedDialogService dialogs;
    dialogs.AnswerMessageBox(platform::IDOK);
    CMessageCatalog catalog;
    EXPECT_EQ(catalog.LoadFromFolder(folder.Path()), 0);

    ASSERT_EQ(dialogs.Requests().size(), 1u);
    const auto& box = dialogs.Requests().front();
    EXPECT_EQ(box.caption, QStringLiteral("Kaleidra Pro"));
    EXPECT_EQ(box.type, unsigned(platform::MB_OK));
    EXPECT_EQ(box.text,
        QStringLiteral("メッセージデータの読込みに失敗しました。\n"
                       "\nメッセージID:5(メッセージに[%n]は使用出来ません。)"
                       "\nメッセージID:27(1番目のフォーマット文字列が一致していません。)"
                       "\nメッセージID:118(2番目のフォーマット文字列が一致していません。)"));

    EXPECT_EQ(catalog.GetMessage(0), QStringLiteral("first\nsecond"));
    EXPECT_EQ(catalog.GetMessage(1), QStringLiteral("\nleading break"));
    EXPECT_EQ(catalog.GetMessage(2), QStringLiteral("プロジェクト名が入力されていません。"));
    EXPECT_EQ(catalog.GetMessage(5), QStringLiteral("0秒未満は入力できません。"));
    EXPECT_EQ(catalog.GetMessage(27), QStringLiteral("%d台のカメラを検出しました。"));
    EXPECT_EQ(catalog.GetMessage(30), QStringLiteral("FACE%D removed"));
    EXPECT_EQ(catalog.FormatMessage(30, { qint64(4) }), QStringLiteral("FACE4 removed"));
    EXPECT_EQ(catalog.GetMessage(118).left(5), QStringLiteral("入力した時"));
    EXPECT_EQ(catalog.GetMessage(122), QStringLiteral("画像の読込みに失敗しました。"));
}

TEST(MessageCatalog, LoadWithoutProblemsShowsNothing)
{
    const struct {
        const char* name;
        QByteArray bytes;
    } cases[] = {
        { "utf-16le with BOM", Utf16LeWithBom(QStringLiteral("[MESSAGE]\r\nMSG_123=読めません\r\n")) },
        { "cp932", Cp932(QStringLiteral("[MESSAGE]\r\nMSG_123=読めません\r\n")) },
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        CTempFolder folder;
        folder.WriteFile(QStringLiteral("Message.dat"), c.bytes);
        CScriptedDialogService dialogs;
        CMessageCatalog catalog;
        EXPECT_EQ(catalog.LoadFromFolder(folder.Path()), 1);
        EXPECT_EQ(catalog.GetMessage(122), QStringLiteral("読めません"));
        EXPECT_TRUE(dialogs.Requests().empty());
    }
    CTempFolder empty;
    CScriptedDialogService dialogs;
    CMessageCatalog catalog;
    EXPECT_EQ(catalog.LoadFromFolder(empty.Path()), 1);
    empty.MakeFolder(QStringLiteral("Message.dat"));
    EXPECT_EQ(catalog.LoadFromFolder(empty.Path()), 1);
    EXPECT_EQ(catalog.GetMessage(27), QStringLiteral("%d台のカメラを検出しました。"));
    EXPECT_TRUE(dialogs.Requests().empty());
}

TEST(MessageCatalog, ArgumentsAreFilledWithoutPrintf)
{
    const struct {
        const char* name;
        QString text;
        std::vector<MessageArgument> arguments;
        QString expected;
    } cases[] = {
        { "number", "%d台", { qint64(3) }, "3台" },
        { "capital letters", "%D / %S", { qint64(-4), QStringLiteral("x") }, "-4 / x" },
        { "two texts", "「%s」～「%s」", { QStringLiteral("0:00:00:00"), QStringLiteral("1:00:00:00") },
            "「0:00:00:00」～「1:00:00:00」" },
        { "missing argument stays as written", "%d and %s", { qint64(1) }, "1 and %s" },
        { "no arguments at all", "%s が見つかりません。", {}, "%s が見つかりません。" },
        { "a text for a number is shown as text", "%d", { QStringLiteral("%n%s") }, "%n%s" },
        { "other specifiers stay", "%n %x %5d 100%", { qint64(1) }, "%n %x %5d 100%" },
        { "double percent", "100%% %d", { qint64(7) }, "100% 7" },
        { "percent at the end", "50%", { qint64(1) }, "50%" },
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(FillMessageArguments(c.text, c.arguments), c.expected);
    }
    CMessageCatalog catalog;
    EXPECT_EQ(
        catalog.FormatMessage(30, { qint64(12) }), QStringLiteral("FACE12を削除します。よろしいですか？"));
    EXPECT_EQ(catalog.FormatMessage(200, { qint64(12) }), QString());
}

TEST(MessageCatalog, TheFileIsFoundWhateverTheCaseOfItsName)
{
    CTempFolder folder;
    folder.WriteFile(QStringLiteral("MESSAGE.DAT"), MessageFile({ "MSG_001=Where?" }));
    CScriptedDialogService dialogs;
    CMessageCatalog catalog;
    EXPECT_EQ(catalog.LoadFromFolder(folder.Path()), 1);
    EXPECT_EQ(catalog.GetMessage(0), QStringLiteral("Where?"));
}
