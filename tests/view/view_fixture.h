#pragma once

#include "core/main_frame.h"
#include "platform/shared_flag.h"
#include "tests/fixtures/scoped_env.h"
#include "tests/fixtures/temp_folder.h"
#include "view/kaleidra_doc.h"
#include "view/kaleidra_view.h"
#include "view/view_commands.h"

#include <QStringList>
#include <atomic>
#include <gtest/gtest.h>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

// Records what the view asks of the project flows, undo and the edit commands.
class CRecordingHandlers final : public CViewCommandHandlers {
public:
    int RunStartupDialog(const QStringList&, QString& recentPath) override
    {
        calls << QStringLiteral("startup");
        recentPath = startupRecent;
        return startupChoice;
    }
    bool NewProject() override { return Record(QStringLiteral("new")); }
    bool OpenProject(const QString* path) override
    {
        return Record(path ? QStringLiteral("open ") + *path : QStringLiteral("open"));
    }
    bool OpenProjectFile(const QString& path) override { return Record(QStringLiteral("handover ") + path); }
    bool SaveProject() override
    {
        if (onSave)
            onSave();
        return Record(QStringLiteral("save"));
    }
    void Undo() override { Record(QStringLiteral("undo")); }
    void Redo() override { Record(QStringLiteral("redo")); }
    void RecordFaceCorners(const FaceCornerRecord& record) override
    {
        corners.push_back(record);
        Record(QStringLiteral("corners"));
    }

    QStringList calls;
    std::vector<FaceCornerRecord> corners;
    int startupChoice = 0;
    QString startupRecent;
    std::function<void()> onSave;

private:
    bool Record(const QString& call)
    {
        calls << call;
        return true;
    }
};

// The viewer's part, played on a thread against the view's block: takes every command, data
// kind, query and project flag, answers the queries and keeps a playback time.
class CFakeViewer {
public:
    struct Command {
        int32_t kind;
        QString cell0;
        QString cell1;
    };

    explicit CFakeViewer(PmParamBlock& block);
    ~CFakeViewer();

    std::vector<Command> Commands();
    std::vector<std::pair<int32_t, int32_t>> Data();
    void ClearRecords();
    // Stop taking anything (a viewer that hangs).
    void Hang(bool hang) { m_hang = hang; }
    // The process to end when the quit command arrives; none leaves the process running.
    void EndOnQuit(pid_t pid) { m_endOnQuit = pid; }
    // Corners the viewer reports for a face.
    void SetCorners(int32_t faceNo, std::array<int32_t, 8> corners);
    // Plays: the time runs on by itself while playing.
    std::atomic<int32_t> time { 0 };

private:
    void Run(std::stop_token stop);

    PmParamBlock& m_block;
    std::mutex m_mutex;
    std::vector<Command> m_commands;
    std::vector<std::pair<int32_t, int32_t>> m_data;
    std::map<int32_t, std::array<int32_t, 8>> m_corners;
    std::atomic<bool> m_hang { false };
    std::atomic<pid_t> m_endOnQuit { 0 };
    std::atomic<bool> m_playing { false };
    std::jthread m_thread;
};

// A set-up view in a main frame, with its own settings, registry store, documents folder and
// shared block.
class ViewFixture : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // Writes the settings file; extra lines go into its SYSTEM section.
    void WriteSettings(const QString& extra = {});
    // Makes the frame, document and view; false when the set-up refused.
    // A view made before is let go first. A command-line path goes to the document.
    bool MakeView(const QString& commandLinePath = {});
    // Starts a stand-in viewer process and the thread that plays the viewer's part.
    void StartFakeViewer();
    PmParamBlock& Block() { return *view->Channel()->Block(); }
    // Puts a reply into the block as the viewer does and runs one pass of the poll.
    void Reply(int32_t kind, const QStringList& cells);
    // A project "Show" of the length made in the work folder and loaded into the view, as a new
    // project is (the viewer is not started).
    void OpenTestProject(int32_t projectTime = 6000);
    // What the export and import dialogs are filled in with when they open.
    struct PackageAnswers {
        QString exportFolder, exportProject;
        QString importPackage, importProjects, importData;
    };
    // Fills in the project dialogs as a user would: the new-project dialog with the folder and
    // name these hold when it opens, the start-up dialog with "new project", the export and
    // import dialogs with `packageAnswers`. Any other dialog fails the test.
    void AnswerProjectDialogs(const QString& folder, const QString& name);
    // A face with corners and an item, in the timeline and, with a project open, in its files.
    void AddFace(
        int32_t faceNo, std::array<int32_t, 8> corners, int32_t itemStart = 100, int32_t itemTime = 500);

    CTempFolder temp;
    std::unique_ptr<CScopedEnv> commonEnv;
    std::unique_ptr<CScopedEnv> documentsEnv;
    std::unique_ptr<CScopedEnv> registryEnv;
    std::unique_ptr<CScopedEnv> suffixEnv;
    std::unique_ptr<CScopedEnv> programEnv;
    std::unique_ptr<CKaleidraDoc> document;
    std::unique_ptr<CMainFrame> frame;
    CKaleidraView* view = nullptr;
    CRecordingHandlers handlers;
    PackageAnswers packageAnswers;
    Qt::KeyboardModifiers modifiers;
    std::unique_ptr<CFakeViewer> viewer;
};
