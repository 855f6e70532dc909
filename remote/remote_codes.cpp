#include "remote/remote_codes.h"

namespace {

struct RemoteReceiveRow {
    std::string_view code;
    int number;
};

constexpr std::array<RemoteReceiveRow, 10> kRemoteReceiveRows = { {
    { "PM_S01", kReceiveCurrentTime },
    { "PM_S02", kReceivePlayTime },
    { "PM_S03", kReceiveProjectTime },
    { "PM_S50", kReceiveAskCurrentTime },
    { "PM_S51", kReceiveAskPlayTime },
    { "PM_S52", kReceiveAskProjectTime },
    { "PM_S53", kReceiveAskGuide },
    { "PM_S54", kReceiveAskLoop },
    { "PM_S55", kReceiveAskScreen },
    { "PM_S56", kReceiveAskPlaying },
} };

constexpr std::array<EditorReceiveCode, 20> kEditorReceiveRows = { {
    { "PM_R01", 1, 0 },
    { "PM_R02", 2, 1 },
    { "PM_R03", 50, 2 },
    { "PM_R04", 51, 3 },
    { "PM_R05", 3, 4 },
    { "PM_R06", 4, 5 },
    { "PM_R07", 5, 6 },
    { "PM_R08", 6, 7 },
    { "PM_R09", 7, 8 },
    { "PM_R12", 8, 9 },
    { "PM_R13", 9, 10 },
    { "PM_R10", 52, 11 },
    { "PM_R11", 101, 12 },
    { "PM_R50", 60, 13 },
    { "PM_R51", 61, 14 },
    { "PM_R52", 62, 15 },
    { "PM_R53", 63, 16 },
    { "PM_R54", 64, 17 },
    { "PM_R55", 65, 18 },
    { "PM_R56", 66, 19 },
} };

} // namespace

std::optional<int> RemoteReceiveNumberOf(std::string_view code)
{
    for (const RemoteReceiveRow& row : kRemoteReceiveRows) {
        if (row.code == code)
            return row.number;
    }
    return std::nullopt;
}

std::optional<EditorReceiveCode> EditorReceiveCodeOf(std::string_view code)
{
    for (const EditorReceiveCode& row : kEditorReceiveRows) {
        if (row.code == code)
            return row;
    }
    return std::nullopt;
}
