#pragma once

#include <QString>
#include <QStringList>
#include <cstdint>
#include <optional>
#include <vector>

class CEffectIni;

// Which controls of the three pages an item's kind enables, and what the effects page lists
// for it: plain functions, so that the tables are tested without windows. Kinds: 0 NONE,
// 1 IMAGE, 2 CAMERA, 3 MOVIE, 6 SOUND, 7 LINK (a LINK is judged by the kind it shows).
namespace itempanel {

// The properties page. The IN/OUT group is the bar, the replay button and the preview time, and
// the rest of it: the set-IN, set-OUT and capture buttons, the IN and OUT edits and their spins.
struct PropertyEnableState {
    bool modeCombo = false;
    bool fileRow = false; // file edit and browse button
    bool playModeCombo = false;
    bool preview = false;
    bool dropPicture = false; // the preview's picture goes
    bool shapeAndPosition = false; // shape list and the X, Y, W, H edits
    bool inOutBar = false;
    bool replay = false;
    bool previewTime = false;
    bool inOutPoints = false;
    bool startAndPlayTime = false;
    bool linkCombo = false;
    bool cameraCombo = false;
    bool sizeCombo = false;
    bool volumeAndMute = false;
    // Rows shown: the file row, the link row and the camera row share one place, and the play
    // mode row and the image size row another.
    bool showFileRow = false;
    bool showPlayModeRow = false;
    bool showLinkRow = false;
    bool showCameraRow = false;
    bool showSizeRow = false;

    bool operator==(const PropertyEnableState&) const = default;
};
// Nothing for a kind outside the table: the page then changes only what follows the shape.
std::optional<PropertyEnableState> PropertyEnableByMode(int32_t kind, int32_t linkKind, bool faceFieldBlank);

// The effects page: the two effect lists, and each side's time edit and direction list for the
// effect selected on that side (none when the list has no selection).
struct EffectEnableState {
    bool effectLists = false;
    bool entryTime = false;
    bool entryDirection = false;
    bool exitTime = false;
    bool exitDirection = false;

    bool operator==(const EffectEnableState&) const = default;
};
EffectEnableState EffectEnableByMode(bool faceFieldBlank,
    int32_t kind,
    int32_t linkKind,
    std::optional<int32_t> entryEffect,
    std::optional<int32_t> exitEffect,
    const CEffectIni& table);

// Whether some row with the number takes a duration.
bool HasEffectTime(const CEffectIni& table, int32_t effectNo);
// The direction set of the first row with the number that offers directions.
std::optional<int32_t> EffectDirectionSet(const CEffectIni& table, int32_t effectNo);

// One entry of a list: its text and its item data.
struct ListEntry {
    QString text;
    int32_t data = 0;
    bool operator==(const ListEntry&) const = default;
};
// The effects a kind may choose at its entry and at its exit, in file order.
struct EffectLists {
    std::vector<ListEntry> entry;
    std::vector<ListEntry> exit;
};
EffectLists EffectListsForMode(const CEffectIni& table, int32_t kind, int32_t linkKind);
// The directions of the set that the row at position `row` of the table names (rows in file
// order, from 0); empty when there is no such row or set. Each direction's data is its position.
std::vector<ListEntry> DirectionsOfRowAt(const CEffectIni& table, int row);
// The directions of set `set`.
std::vector<ListEntry> DirectionSet(const CEffectIni& table, int set);

// The filter page's list: nothing for a kind outside the table (the list keeps its state).
std::optional<bool> FilterListEnabled(bool faceFieldBlank, int32_t kind, int32_t linkKind);

} // namespace itempanel
