#pragma once

#include <array>
#include <optional>
#include <string_view>

// The codes of the remote-control protocol, shared by the editor and KaleidraRemote. "PM_R.."
// frames go from the remote to the editors, "PM_S.." frames from the editors to the remote.
inline constexpr std::array<std::string_view, 30> RemoteCommandCodes = {
    "PM_R01",
    "PM_R02",
    "PM_R03",
    "PM_R04",
    "PM_R05",
    "PM_R06",
    "PM_R07",
    "PM_R08",
    "PM_R09",
    "PM_R10",
    "PM_R11",
    "PM_R12",
    "PM_R13",
    "PM_R50",
    "PM_R51",
    "PM_R52",
    "PM_R53",
    "PM_R54",
    "PM_R55",
    "PM_R56",
    "PM_S01",
    "PM_S02",
    "PM_S03",
    "PM_S50",
    "PM_S51",
    "PM_S52",
    "PM_S53",
    "PM_S54",
    "PM_S55",
    "PM_S56",
};

// Frames the remote sends.
namespace remote_code {
inline constexpr std::string_view kStart = "PM_R01";
inline constexpr std::string_view kPause = "PM_R02";
inline constexpr std::string_view kAskCurrentTime = "PM_R03";
inline constexpr std::string_view kAskPlayTime = "PM_R04";
inline constexpr std::string_view kSeek = "PM_R05";
inline constexpr std::string_view kGuideOn = "PM_R06";
inline constexpr std::string_view kGuideOff = "PM_R07";
inline constexpr std::string_view kLoopOn = "PM_R08";
inline constexpr std::string_view kLoopOff = "PM_R09";
inline constexpr std::string_view kAskProjectTime = "PM_R10";
inline constexpr std::string_view kRefused = "PM_R11";
inline constexpr std::string_view kScreenOn = "PM_R12";
inline constexpr std::string_view kScreenOff = "PM_R13";
inline constexpr std::string_view kReplyCurrentTime = "PM_R50";
inline constexpr std::string_view kReplyPlayTime = "PM_R51";
inline constexpr std::string_view kReplyProjectTime = "PM_R52";
inline constexpr std::string_view kReplyGuide = "PM_R53";
inline constexpr std::string_view kReplyLoop = "PM_R54";
inline constexpr std::string_view kReplyScreen = "PM_R55";
inline constexpr std::string_view kReplyPlaying = "PM_R56";

// Frames the editors send.
inline constexpr std::string_view kCurrentTime = "PM_S01";
inline constexpr std::string_view kPlayTime = "PM_S02";
inline constexpr std::string_view kProjectTime = "PM_S03";
} // namespace remote_code

// What the remote's window is told for a frame from an editor (the wParam of WM_REMOTE_RECEIVE).
enum RemoteReceiveNumber : int {
    kReceiveCurrentTime = 1,
    kReceivePlayTime = 2,
    kReceiveProjectTime = 3,
    kReceiveAskCurrentTime = 11,
    kReceiveAskPlayTime = 12,
    kReceiveAskProjectTime = 13,
    kReceiveAskGuide = 14,
    kReceiveAskLoop = 15,
    kReceiveAskScreen = 16,
    kReceiveAskPlaying = 17,
    kReceiveClientGone = 100,
};

// The number the remote's window gets for a code it takes; nothing for any other code (the
// comparison is exact, so lower case and codes of the other direction are not taken).
std::optional<int> RemoteReceiveNumberOf(std::string_view code);

// One code the editor takes: the command number its receiver hands to its view, and the slot of
// the queue that keeps the latest frame of that code.
struct EditorReceiveCode {
    std::string_view code;
    int command = 0;
    int slot = 0;
};

inline constexpr int kEditorConnectionLost = 100;

std::optional<EditorReceiveCode> EditorReceiveCodeOf(std::string_view code);
