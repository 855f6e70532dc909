#pragma once

#include "core/pm_param_block.h"

#include <QString>
#include <QStringList>
#include <array>
#include <cstdint>
#include <optional>

// Whether the viewer process runs, asked on every pass of a wait.
class CViewerLiveness {
public:
    virtual ~CViewerLiveness() = default;
    // True while a viewer process is held and has not ended.
    virtual bool IsViewerRunning() = 0;
};

// One reply of the viewer, copied out of the block before anything acts on it.
struct PmReplyRecord {
    int32_t kind = 0;
    std::array<QString, kPmReplyCells> cells;

    // A number cell read as the viewer wrote it ("%d"; 0 without digits).
    int32_t Number(int cell) const;
};

// The editor's side of the shared block "MEMMAP_PM_PARAM": every request is written into its
// area, then the area's flag is raised; the viewer clears the flag when it has taken the
// request. A wait makes passes of 10 ms until the flag is 0 again, the viewer process has gone
// or the passes run out. An area whose flag is still raised is waited for before it is written
// again, so the viewer never reads an area while it changes; while the viewer runs and has not
// taken the earlier request, the new one is dropped rather than written over it.
class CViewerChannel {
public:
    static constexpr int kWaitPasses = 300; // 3 s
    static constexpr int kPassMs = 10;
    static constexpr int kNoWait = 0;

    CViewerChannel(PmParamBlock* block, CViewerLiveness& liveness);

    PmParamBlock* Block() const { return m_block; }
    bool IsMapped() const { return m_block != nullptr; }

    // Waits while the viewer runs until the flag is 0; true when it is 0. Returns at once when
    // no viewer runs.
    bool WaitForFlag(int32_t& flag, int passes);

    // A command with its cells ("%d" numbers or texts); waits `passes` for it to be taken
    // (kNoWait: raises the flag and returns). False when it was not written or, with a wait,
    // not taken.
    bool SendCommand(PmCommand kind, const QStringList& cells, int passes);
    // The data kind for a face.
    bool SendData(PmData kind, int32_t faceNo, int passes);
    // Raises the project flag: 1 loads the project, 2 re-reads its times. A load that is still
    // waiting is never turned into the smaller re-read (it reads the times anyway).
    bool RaiseProjectFlag(PmProject value, int passes);

    enum class QueryResult { Answered, Empty, NotTaken, NotWritten };
    // A query with its argument cells; the answer cells (from cell 5, `answerCount` of them)
    // are cleared before and read after the viewer took it. Empty when any answer cell stayed
    // empty.
    QueryResult Query(PmQuery kind,
        const QStringList& cells,
        int answerCount,
        std::array<int32_t, kPmQueryCells>& answers,
        int passes = kWaitPasses);

    // The reply that stands, copied, and the reply flag cleared; nothing when none stands.
    std::optional<PmReplyRecord> TakeReply();
    // Drops a reply a viewer that has gone left behind.
    void ClearReply();

    // The viewer's playback time.
    int32_t PlayTime() const;
    void SetPlayTime(int32_t time);

    // The fields the editor writes without a flag. Texts that do not fit are refused (false) and
    // the field is emptied, so that a cut text never names something else.
    bool WriteVersion(const QString& version);
    bool WriteProjectPath(const QString& path);
    bool WriteWorkFolder(const QString& folder);
    bool WriteDisplayName(const QString& name);
    void WriteResoMode(int32_t mode);

private:
    // Waits for a raised flag to be cleared before its area is written again; false when the
    // viewer runs and still has not taken it.
    bool MayWrite(int32_t& flag);

    PmParamBlock* m_block = nullptr;
    CViewerLiveness& m_liveness;
};
