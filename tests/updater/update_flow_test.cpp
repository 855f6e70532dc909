#include "tests/updater/stamped_program.h"
#include "tests/updater/update_fixture.h"

#include <QDir>
#include <QFile>
#include <functional>
#include <gtest/gtest.h>

using namespace updater_text;

namespace {

struct FlowCase {
    const char* name;
    // Changes the standard sandbox and queues the user's answers.
    std::function<void(CUpdateSandbox&)> prepare;
    bool result;
    std::vector<QString> messages;
    bool pickerOpens = false;
};

std::vector<QString> FolderPickerCaptions(const CScriptedDialogService& dialogs)
{
    std::vector<QString> captions;
    for (const auto& request : dialogs.Requests()) {
        if (request.kind == CScriptedDialogService::Kind::Folder)
            captions.push_back(request.text);
    }
    return captions;
}

void RunCases(const std::vector<FlowCase>& cases)
{
    for (const FlowCase& c : cases) {
        SCOPED_TRACE(c.name);
        CUpdateSandbox sandbox(
            QStringLiteral("1.0.3.4"), QStringLiteral("1.6.2.0"), QStringLiteral("1.6.1.5"));
        c.prepare(sandbox);
        const QByteArray hiveBefore = sandbox.HiveBytes();
        const auto installBefore = sandbox.Tree(QStringLiteral("install"));

        EXPECT_EQ(sandbox.Run(), c.result);
        EXPECT_EQ(sandbox.m_dialogs.MessageTexts(), c.messages);
        for (const auto& request : sandbox.m_dialogs.Requests()) {
            if (request.kind == CScriptedDialogService::Kind::MessageBox) {
                EXPECT_EQ(request.caption, u"Kaleidra 更新プログラム");
            }
        }
        EXPECT_EQ(FolderPickerCaptions(sandbox.m_dialogs),
            c.pickerOpens ? std::vector<QString> { QStringLiteral("インストール先選択") }
                          : std::vector<QString> {});
        // Nothing was copied and the registry was neither written nor given a key.
        EXPECT_EQ(sandbox.HiveBytes(), hiveBefore);
        EXPECT_EQ(sandbox.Tree(QStringLiteral("install")), installBefore);
        EXPECT_TRUE(sandbox.Tree(QStringLiteral("common")).isEmpty());
        EXPECT_TRUE(sandbox.Tree(QStringLiteral("home")).isEmpty());
    }
}

void RemoveEntry(CUpdateSandbox& sandbox)
{
    QFile::remove(sandbox.m_environment.registry.File());
}

} // namespace

TEST(UpdateFlowTest, RefusalsAndEarlyEndsTouchNothing)
{
    const std::vector<FlowCase> cases = {
        { "empty package, even without rights",
            [](CUpdateSandbox& s) {
                QDir(s.Path(QStringLiteral("package/Data"))).removeRecursively();
                s.m_folder.MakeFolder(QStringLiteral("package/Data/ProgramFiles/Kaleidra"));
                s.m_environment.administrator = false;
                s.m_dialogs.AnswerMessageBox(platform::IDOK);
            },
            true, { NoFiles() } },
        { "no administrator rights",
            [](CUpdateSandbox& s) {
                s.m_environment.administrator = false;
                s.m_dialogs.AnswerMessageBox(platform::IDOK);
            },
            false, { NeedsRights() } },
        { "no uninstall entry",
            [](CUpdateSandbox& s) {
                RemoveEntry(s);
                s.m_dialogs.AnswerMessageBox(platform::IDOK);
            },
            false, { NotInstalled() } },
        { "entry without an uninstaller",
            [](CUpdateSandbox& s) {
                RemoveEntry(s);
                s.WriteEntry(QStringLiteral("DisplayIcon"), s.Install(QStringLiteral("bin/Kaleidra")));
                s.m_dialogs.AnswerMessageBox(platform::IDOK);
            },
            false, { NotInstalled() } },
        { "entry names a removed installation, picker cancelled",
            [](CUpdateSandbox& s) {
                QFile::remove(s.Install(QStringLiteral("bin/uninstaller")));
                s.m_dialogs.AnswerPath(std::nullopt);
            },
            true, {}, true },
        { "program name in other letter case, installation folder picked",
            [](CUpdateSandbox& s) {
                WriteStampedProgram(s.Install(QStringLiteral("bin/kaleidra")), QStringLiteral("1.6.1.5"));
                s.WriteEntry(QStringLiteral("DisplayIcon"), s.Install(QStringLiteral("bin/kaleidra")));
                s.m_dialogs.AnswerPath(s.Path(QStringLiteral("install")));
                s.m_dialogs.AnswerMessageBox(platform::IDNO);
            },
            true, { Confirm(QStringLiteral("1.6.1.5"), QStringLiteral("1.6.2.0")) }, true },
        { "entry names another program file, bin folder picked",
            [](CUpdateSandbox& s) {
                s.WriteEntry(QStringLiteral("DisplayIcon"), s.Install(QStringLiteral("bin/KALEIDRA")));
                s.m_dialogs.AnswerPath(s.Install(QStringLiteral("bin/")));
                s.m_dialogs.AnswerMessageBox(platform::IDNO);
            },
            true, { Confirm(QStringLiteral("1.6.1.5"), QStringLiteral("1.6.2.0")) }, true },
        { "picked folder holds no installation",
            [](CUpdateSandbox& s) {
                QFile::remove(s.Install(QStringLiteral("bin/Kaleidra")));
                s.m_dialogs.AnswerPath(s.Path(QStringLiteral("home")));
                s.m_dialogs.AnswerMessageBox(platform::IDOK);
            },
            false, { NotInstalled() }, true },
        { "installed package version differs",
            [](CUpdateSandbox& s) {
                s.WriteEntry(QStringLiteral("PackageVersion"), QStringLiteral("1.1"));
                s.m_dialogs.AnswerMessageBox(platform::IDOK);
            },
            false, { PackageMismatch(QStringLiteral("1.1"), QStringLiteral("1.0")) } },
        { "no package version recorded counts as 1.0, updater of 1.1",
            [](CUpdateSandbox& s) {
                WriteStampedProgram(s.m_environment.updaterProgram, QStringLiteral("1.1.0.0"));
                s.m_dialogs.AnswerMessageBox(platform::IDOK);
            },
            false, { PackageMismatch(QStringLiteral("1.0"), QStringLiteral("1.1")) } },
        { "updater without a version",
            [](CUpdateSandbox& s) {
                WriteUnstampedProgram(s.m_environment.updaterProgram);
                s.m_dialogs.AnswerMessageBox(platform::IDOK);
            },
            false, { PackageMismatch(QStringLiteral("1.0"), QString()) } },
        { "same version installed",
            [](CUpdateSandbox& s) {
                WriteStampedProgram(s.Install(QStringLiteral("bin/Kaleidra")), QStringLiteral("1.6.2.0"));
                s.m_dialogs.AnswerMessageBox(platform::IDOK);
            },
            true, { AlreadyApplied(QStringLiteral("1.6.2.0")) } },
        { "newer version installed",
            [](CUpdateSandbox& s) {
                WriteStampedProgram(s.Install(QStringLiteral("bin/Kaleidra")), QStringLiteral("1.6.10.0"));
                s.m_dialogs.AnswerMessageBox(platform::IDOK);
            },
            true, { AlreadyApplied(QStringLiteral("1.6.10.0")) } },
        { "package program without a version",
            [](CUpdateSandbox& s) {
                WriteUnstampedProgram(s.Package(QStringLiteral("ProgramFiles/Kaleidra/bin/Kaleidra")));
                s.m_dialogs.AnswerMessageBox(platform::IDOK);
            },
            true, { AlreadyApplied(QStringLiteral("1.6.1.5")) } },
        { "1.6.1.9 is older than 1.6.1.10, user says no",
            [](CUpdateSandbox& s) {
                WriteStampedProgram(s.Install(QStringLiteral("bin/Kaleidra")), QStringLiteral("1.6.1.9"));
                WriteStampedProgram(s.Package(QStringLiteral("ProgramFiles/Kaleidra/bin/Kaleidra")),
                    QStringLiteral("1.6.1.10"));
                s.m_dialogs.AnswerMessageBox(platform::IDNO);
            },
            true, { Confirm(QStringLiteral("1.6.1.9"), QStringLiteral("1.6.1.10")) } },
        { "installed program without a version counts as 1.2.1.2",
            [](CUpdateSandbox& s) {
                WriteUnstampedProgram(s.Install(QStringLiteral("bin/Kaleidra")));
                s.m_dialogs.AnswerMessageBox(platform::IDNO);
            },
            true, { Confirm(QStringLiteral("1.2.1.2"), QStringLiteral("1.6.2.0")) } },
    };
    RunCases(cases);
}

TEST(UpdateFlowTest, ConfirmationIsAQuestionWithYesAndNo)
{
    CUpdateSandbox sandbox;
    sandbox.m_dialogs.AnswerMessageBox(platform::IDNO);
    EXPECT_TRUE(sandbox.Run());
    ASSERT_EQ(sandbox.m_dialogs.Requests().size(), 1u);
    EXPECT_EQ(sandbox.m_dialogs.Requests()[0].type, platform::MB_YESNO | platform::MB_ICONQUESTION);
}
