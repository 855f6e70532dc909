#include "platform/qt_dialog_service.h"
#include "tests/fixtures/scripted_dialog_service.h"

#include <gtest/gtest-spi.h>
#include <gtest/gtest.h>

namespace {

TEST(DialogService, ScriptedServiceAnswersInOrderAndRecords)
{
    CScriptedDialogService script;
    EXPECT_EQ(&platform::DialogService(), &script);
    script.AnswerMessageBox(platform::IDYES);
    script.AnswerPath(QStringLiteral("/shows/a.kdp"));
    script.AnswerPath(std::nullopt);
    script.AnswerColour(0x00FF00u);

    EXPECT_EQ(platform::DialogService().MessageBox(QStringLiteral("保存しますか?"), QStringLiteral("Kaleidra Pro"),
                                                   platform::MB_YESNO | platform::MB_ICONQUESTION),
              platform::IDYES);
    EXPECT_EQ(platform::DialogService().OpenFileName(QStringLiteral("Open"), QStringLiteral("/shows"),
                                                     QStringLiteral("Project (*.kdp)")),
              QStringLiteral("/shows/a.kdp"));
    EXPECT_FALSE(platform::DialogService().FolderName(QStringLiteral("Folder"), QString()).has_value());
    EXPECT_EQ(platform::DialogService().Colour(0), 0x00FF00u);
    EXPECT_TRUE(script.AllAnswersUsed());
    ASSERT_EQ(script.Requests().size(), 4u);
    EXPECT_EQ(script.Requests()[0].caption, QStringLiteral("Kaleidra Pro"));
    EXPECT_EQ(script.Requests()[0].type, unsigned(platform::MB_YESNO | platform::MB_ICONQUESTION));
    EXPECT_EQ(script.MessageTexts(), std::vector<QString>{QStringLiteral("保存しますか?")});
}

TEST(DialogService, UnexpectedRequestFailsAndCancels)
{
    CScriptedDialogService script;
    int answer = 0;
    EXPECT_NONFATAL_FAILURE(answer = platform::DialogService().MessageBox(QStringLiteral("?"), QString(), platform::MB_OKCANCEL),
                            "unexpected dialog request");
    EXPECT_EQ(answer, platform::IDCANCEL);
    // An answer of the wrong kind is not consumed by another kind of request.
    script.AnswerMessageBox(platform::IDOK);
    EXPECT_NONFATAL_FAILURE(platform::DialogService().SaveFileName(QString(), QString(), QString()),
                            "unexpected dialog request");
    EXPECT_FALSE(script.AllAnswersUsed());
    script.Clear();
}

TEST(DialogService, RemovingTheScriptRestoresTheRealService)
{
    platform::CDialogService* real = &platform::DialogService();
    {
        CScriptedDialogService script;
        EXPECT_NE(&platform::DialogService(), real);
    }
    EXPECT_EQ(&platform::DialogService(), real);
    EXPECT_NE(dynamic_cast<platform::CQtDialogService*>(real), nullptr);
}

} // namespace
