#pragma once

#include "core/pm_param_block.h"
#include "platform/mem_mapped.h"
#include "tests/fixtures/temp_folder.h"

#include <QMap>
#include <QProcess>
#include <QRect>
#include <QString>
#include <QStringList>
#include <functional>
#include <optional>

// The editor's side of the shared block, driving a Luxviewer process the way the editor does:
// it makes the block, writes an area and then raises its flag, and waits in passes of 10 ms
// until the viewer has cleared it. Each fixture has a block of its own (an instance suffix), so
// tests run side by side.
class CEditorSide {
public:
    struct Reply {
        int32_t kind = 0;
        QStringList cells;
    };

    CEditorSide();
    ~CEditorSide();
    CEditorSide(const CEditorSide&) = delete;
    CEditorSide& operator=(const CEditorSide&) = delete;

    PmParamBlock& Block() { return *m_block; }
    bool IsValid() const { return m_block != nullptr; }
    const QString& Suffix() const { return m_suffix; }

    // Starts "Luxviewer --headless x y w h" (or without --headless) as a child process.
    bool StartViewer(const QRect& rect = QRect(0, 0, 640, 360), bool headless = true);
    // A variable of the viewer's environment, set at its next start.
    void SetViewerEnvironment(const QString& name, const QString& value) { m_environment[name] = value; }
    QProcess& Process() { return m_process; }
    // Waits for the viewer to end; its exit code, or nothing when it still runs.
    std::optional<int> WaitForExit(int timeoutMs = 15000);
    QString Diagnostics() const;

    // Requests. Each raises its flag and waits (passes of 10 ms, as many as given) for the
    // viewer to clear it: false when it was not cleared in time. The waits of this fixture are
    // generous, as a loaded machine may take seconds to start the viewer; a passing test never
    // waits them out.
    bool Command(int32_t kind, const QStringList& cells = {}, int passes = 1500);
    bool Data(int32_t kind, int32_t faceNo, int passes = 1500);
    bool Project(
        int32_t flag, const QString& projectXml = {}, const QString& workFolder = {}, int passes = 1500);
    bool Query(int32_t kind, const QStringList& cells = {}, int passes = 1500);
    QString QueryCell(int cell) const;

    // Raises without waiting (as for requests that do not wait, or before the viewer runs).
    void RaiseCommand(int32_t kind, const QStringList& cells = {});
    void RaiseProject(int32_t flag, const QString& projectXml = {}, const QString& workFolder = {});

    // The reply standing in the reply area once one does (within the time), or nothing; the
    // reply flag is left as it is.
    std::optional<Reply> WaitForReply(int timeoutMs = 10000);
    void ClearReply();

    int32_t ViewerTime();
    void SetResoMode(int32_t mode);

    // Lines of the headless viewer's input and output.
    QMap<QString, QString> State();
    // Asks for the current frame as a PNG; the picture, or a null one.
    QImage Render(const QString& path, int timeoutMs = 15000);

    // Polls the condition every 10 ms until it holds or the time runs out.
    static bool WaitUntil(const std::function<bool()>& condition, int timeoutMs = 15000);

private:
    bool WaitCleared(int32_t& flag, int passes);
    QString AskLine(const QByteArray& line, const QByteArray& answerPrefix, int timeoutMs);

    CTempFolder m_folder;
    QString m_suffix;
    CMemMapped m_memory;
    PmParamBlock* m_block = nullptr;
    QMap<QString, QString> m_environment;
    QProcess m_process;
    bool m_started = false;
    QByteArray m_output;
};
