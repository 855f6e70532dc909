#pragma once

#include <QString>
#include <QStringView>
#include <cstddef>
#include <cstdint>
#include <span>

// The shared block "MEMMAP_PM_PARAM" through which the editor drives the output program
// (Luxviewer) and reads its replies. Its layout is a contract between the two programs, byte by
// byte, reserved words included; both include this header.
//
// Every area works the same way: the writer fills the area, then raises its flag (release); the
// reader sees the flag (acquire), reads the area or writes its answer, then clears the flag. The
// flags and the viewer's playback time are only ever accessed through platform/shared_flag.h.
inline constexpr char16_t kPmParamBlockName[] = u"MEMMAP_PM_PARAM";
// The block's name as both programs map it: kPmParamBlockName followed by the instance suffix
// ($KALEIDRA_INSTANCE_SUFFIX, empty normally), so that tests running side by side keep apart.
QString PmParamBlockName();

inline constexpr int kPmCellChars = 256; // a text cell, terminator included
inline constexpr int kPmPathChars = 1024; // a path cell, terminator included
inline constexpr int kPmCommandCells = 10;
inline constexpr int kPmQueryCells = 15;
inline constexpr int kPmReplyCells = 15;

using PmCell = char16_t[kPmCellChars];

struct PmParamBlock {
    char16_t version[10]; // the open project's "Version" text, NUL-padded
    int32_t reserved0[2];
    int32_t resoMode; // display mode: "ResoMode" of the settings, 0..4
    int32_t commandKind; // PmCommand
    PmCell commandCells[kPmCommandCells];
    int32_t commandFlag; // editor sets 1, viewer clears when it has taken the command
    int32_t playTime; // the viewer's playback time, hundredths of a second (written by the viewer)
    int32_t dataKind; // PmData
    int32_t dataFaceNo; // the face number the data kind refers to
    int32_t dataFlag; // editor sets 1, viewer clears
    int32_t projectFlag; // PmProject: editor sets, viewer clears when done
    char16_t projectPath[kPmPathChars]; // full path of the open project file
    char16_t workFolder[kPmPathChars]; // the folder under which the project's tree lies
    uint8_t unused0[512];
    int32_t queryKind; // PmQuery
    PmCell queryCells[kPmQueryCells]; // arguments, and the viewer's answers
    int32_t queryFlag; // editor sets 1, viewer clears when the answer stands
    int32_t replyKind; // PmReply
    PmCell replyCells[kPmReplyCells];
    int32_t replyFlag; // viewer sets 1 when a reply stands, editor clears after handling it
    char16_t displayName[kPmCellChars]; // the projector's display device
    uint8_t unused1[9728];
};

static_assert(offsetof(PmParamBlock, version) == 0);
static_assert(offsetof(PmParamBlock, reserved0) == 20);
static_assert(offsetof(PmParamBlock, resoMode) == 28);
static_assert(offsetof(PmParamBlock, commandKind) == 32);
static_assert(offsetof(PmParamBlock, commandCells) == 36);
static_assert(offsetof(PmParamBlock, commandFlag) == 5156);
static_assert(offsetof(PmParamBlock, playTime) == 5160);
static_assert(offsetof(PmParamBlock, dataKind) == 5164);
static_assert(offsetof(PmParamBlock, dataFaceNo) == 5168);
static_assert(offsetof(PmParamBlock, dataFlag) == 5172);
static_assert(offsetof(PmParamBlock, projectFlag) == 5176);
static_assert(offsetof(PmParamBlock, projectPath) == 5180);
static_assert(offsetof(PmParamBlock, workFolder) == 7228);
static_assert(offsetof(PmParamBlock, unused0) == 9276);
static_assert(offsetof(PmParamBlock, queryKind) == 9788);
static_assert(offsetof(PmParamBlock, queryCells) == 9792);
static_assert(offsetof(PmParamBlock, queryFlag) == 17472);
static_assert(offsetof(PmParamBlock, replyKind) == 17476);
static_assert(offsetof(PmParamBlock, replyCells) == 17480);
static_assert(offsetof(PmParamBlock, replyFlag) == 25160);
static_assert(offsetof(PmParamBlock, displayName) == 25164);
static_assert(offsetof(PmParamBlock, unused1) == 25676);
static_assert(sizeof(PmParamBlock) == 35404);

// Command kinds (commandKind).
enum PmCommand : int32_t {
    kPmCommandPlay = 0, // play from the current position
    kPmCommandPause = 1,
    kPmCommandSeek = 2, // cell 0: absolute time in hundredths of a second
    kPmCommandGuide = 3, // cell 0: 1 on, 0 off
    kPmCommandLoop = 4, // cell 0: 1 on, 0 off
    kPmCommandScreen = 10, // cell 0: 1 on, 0 off; cell 1: "ViewerMode" copied at the viewer's start
    kPmCommandQuit = 99,
};

// Data kinds (dataKind); dataFaceNo names the face.
enum PmData : int32_t {
    kPmDataFaceAdded = 0,
    kPmDataFaceChanged = 2, // the face or its items changed
    kPmDataFaceSelected = 3,
};

// Project flag values (projectFlag).
enum PmProject : int32_t {
    kPmProjectIdle = 0,
    kPmProjectLoad = 1, // load the project named at projectPath (under workFolder)
    kPmProjectTimes = 2, // the project file's times or play range changed: re-read them
};

// Query kinds (queryKind).
enum PmQuery : int32_t {
    kPmQueryGetCorners = 1, // cell 0 face number; answer in cells 5..12: x1 y1 x2 y2 x3 y3 x4 y4
    kPmQuerySetCorners = 2, // cell 0 face number, cells 5..12 the corners to take over
    kPmQueryWindowRect = 3, // answer in cells 5..8: x, y, width, height
};
inline constexpr int kPmQueryAnswerCell = 5;

// Reply kinds (replyKind).
enum PmReply : int32_t {
    kPmReplyFaceClicked = 0, // cell 0 face number
    kPmReplyCorners = 1, // cell 0 face number, cells 5..12 the corners
    kPmReplyKey = 2, // cell 0 key code (PmKey)
    kPmReplyIgnored = 3,
    kPmReplyMinimise = 4, // cell 0: 1 minimise, 0 restore
    kPmReplyMessage = 5, // cell 0 severity, cell 1 show flag, cell 2 text
};

// Key codes of a key reply: 1..26 are the letters A..Z (acting with Ctrl); the others as named.
enum PmKey : int32_t {
    kPmKeyLetterA = 1,
    kPmKeyLetterZ = 26,
    kPmKeyLeft = 31, // one pixel of the timeline's scale earlier (ten with Shift)
    kPmKeyRight = 33, // one pixel later (ten with Shift)
    kPmKeyStartPause = 35,
    kPmKeyDelete = 36,
    kPmKeyBackspace = 37,
    kPmKeyScreenOff = 38,
};
constexpr int32_t PmLetterKey(char letter)
{
    return int32_t(letter - 'A' + 1);
}

// Reads a text cell up to its terminator or its end, whichever comes first: the other program may
// leave a cell without a terminator.
QString ReadPmText(std::span<const char16_t> cell);
// Writes a text into a cell with its terminator, the rest of the cell zero. Refuses (false, cell
// untouched) a text that does not fit, so that a cut text never names something else.
bool WritePmText(std::span<char16_t> cell, QStringView text);
// Numbers in cells are "%d" text, read back as _wtoi does (0 without digits, saturating).
int32_t ReadPmNumber(std::span<const char16_t> cell);
void WritePmNumber(std::span<char16_t> cell, int32_t value);
