#include "updater/dlg_progress.h"

#include <QCloseEvent>
#include <QFont>
#include <QFontMetrics>
#include <QProgressBar>
#include <QVBoxLayout>

namespace {

// The window's size in dialog units: a quarter of the average character width across and an
// eighth of the character height down.
constexpr int kWidthUnits = 320;
constexpr int kHeightUnits = 18;

} // namespace

CDlgProgress::CDlgProgress(int total, Step step, platform::CDialogService& dialogs, QString messageCaption)
    : QDialog(nullptr, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint)
    , m_step(std::move(step))
    , m_dialogs(dialogs)
    , m_messageCaption(std::move(messageCaption))
    , m_bar(new QProgressBar(this))
{
    setWindowTitle(QStringLiteral("アップデート処理中..."));
    m_bar->setRange(0, total);
    m_bar->setValue(0);
    m_bar->setTextVisible(false);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_bar);
    setFont(QFont(QStringLiteral("MS UI Gothic"), 9)); // the desktop substitutes an installed face
    const QFontMetrics metrics(font());
    setFixedSize(kWidthUnits * metrics.averageCharWidth() / 4, kHeightUnits * metrics.height() / 8);
}

CDlgProgress::~CDlgProgress()
{
    JoinWorker();
}

void CDlgProgress::RunModal()
{
    QMetaObject::invokeMethod(
        this, [this] { OnUpdateProgress(0); }, Qt::QueuedConnection);
    exec();
}

void CDlgProgress::closeEvent(QCloseEvent* event)
{
    event->ignore();
}

void CDlgProgress::JoinWorker()
{
    if (m_worker.joinable())
        m_worker.join();
}

void CDlgProgress::OnUpdateProgress(int copiedCount)
{
    m_bar->setValue(copiedCount);
    m_bar->repaint();
    // The previous worker has posted its result as its last act, so this join is short.
    JoinWorker();
    m_worker = std::thread([this] {
        const UpdateStepResult result = m_step();
        QMetaObject::invokeMethod(
            this, [this, result] { OnStepDone(result); }, Qt::QueuedConnection);
    });
}

void CDlgProgress::OnStepDone(const UpdateStepResult& result)
{
    if (result.finished)
        OnUpdateFinished(result);
    else
        OnUpdateProgress(result.copiedCount);
}

void CDlgProgress::OnUpdateFinished(const UpdateStepResult& result)
{
    JoinWorker();
    m_dialogs.MessageBox(result.text, m_messageCaption, result.type);
    done(QDialog::Accepted);
}
