#pragma once

#include "platform/dialog_service.h"
#include "updater/update_step.h"

#include <QDialog>
#include <functional>
#include <thread>

class QProgressBar;

// The modal progress window of the copy phase. Each step of the update runs on a short worker
// thread; the worker hands its result back to this window's thread as a queued value copy,
// where the bar moves and the next worker starts, so no two steps overlap. The last step's
// message is shown and the window closes. The user cannot close it in between.
class CDlgProgress final : public QDialog {
    Q_OBJECT
public:
    using Step = std::function<UpdateStepResult()>;

    CDlgProgress(int total, Step step, platform::CDialogService& dialogs, QString messageCaption);
    ~CDlgProgress() override;

    // Runs the steps until the last one has reported, showing the window meanwhile.
    void RunModal();

    // Enter and Esc do nothing while the update runs.
    void accept() override { }
    void reject() override { }

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void OnUpdateProgress(int copiedCount);
    void OnUpdateFinished(const UpdateStepResult& result);
    void OnStepDone(const UpdateStepResult& result);
    void JoinWorker();

    Step m_step;
    platform::CDialogService& m_dialogs;
    QString m_messageCaption;
    QProgressBar* m_bar;
    std::thread m_worker;
};
