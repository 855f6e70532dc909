#include "itempanel/page_rules.h"

#include "itempanel/item_lookup.h"
#include "project/face_data.h"
#include "tables/effect_ini.h"

namespace itempanel {

namespace {

using Item = tagTL_FACE_ITEM_DATA;

} // namespace

std::optional<PropertyEnableState> PropertyEnableByMode(int32_t kind, int32_t linkKind, bool faceFieldBlank)
{
    PropertyEnableState state;
    switch (kind) {
    case Item::MODE_NONE:
        state.modeCombo = !faceFieldBlank;
        state.dropPicture = true;
        state.showFileRow = state.showPlayModeRow = true;
        break;
    case Item::MODE_IMAGE:
        state.modeCombo = state.fileRow = state.preview = state.shapeAndPosition = true;
        state.startAndPlayTime = true;
        state.showFileRow = state.showPlayModeRow = true;
        break;
    case Item::MODE_CAMERA:
        state.modeCombo = state.preview = state.shapeAndPosition = state.startAndPlayTime = true;
        state.cameraCombo = true;
        state.showCameraRow = state.showSizeRow = true;
        break;
    case Item::MODE_MOVIE:
        state.modeCombo = state.fileRow = state.playModeCombo = state.preview = true;
        state.shapeAndPosition = state.startAndPlayTime = state.volumeAndMute = true;
        state.inOutBar = state.replay = state.previewTime = state.inOutPoints = true;
        state.showFileRow = state.showPlayModeRow = true;
        break;
    case Item::MODE_SOUND:
        state.modeCombo = state.fileRow = state.playModeCombo = state.startAndPlayTime = true;
        state.volumeAndMute = true;
        state.dropPicture = true;
        state.showFileRow = state.showPlayModeRow = true;
        break;
    case Item::MODE_LINK:
        state.modeCombo = state.linkCombo = true;
        state.showPlayModeRow = state.showLinkRow = true;
        if (IsLinkableMode(linkKind))
            state.preview = state.shapeAndPosition = true;
        if (linkKind == Item::MODE_MOVIE)
            state.inOutBar = state.replay = state.previewTime = true;
        break;
    default:
        return std::nullopt;
    }
    return state;
}

bool HasEffectTime(const CEffectIni& table, int32_t effectNo)
{
    for (const tagCEF_EFFECT_TABLE& row : table.Rows()) {
        if (row.No == effectNo && row.HasTime())
            return true;
    }
    return false;
}

std::optional<int32_t> EffectDirectionSet(const CEffectIni& table, int32_t effectNo)
{
    for (const tagCEF_EFFECT_TABLE& row : table.Rows()) {
        if (row.No == effectNo && row.OffersDirections())
            return row.DIR;
    }
    return std::nullopt;
}

EffectEnableState EffectEnableByMode(bool faceFieldBlank,
    int32_t kind,
    int32_t linkKind,
    std::optional<int32_t> entryEffect,
    std::optional<int32_t> exitEffect,
    const CEffectIni& table)
{
    EffectEnableState state;
    if (faceFieldBlank)
        return state;
    switch (kind) {
    case Item::MODE_IMAGE:
    case Item::MODE_CAMERA:
    case Item::MODE_MOVIE:
    case Item::MODE_SOUND:
        state.effectLists = true;
        break;
    case Item::MODE_LINK:
        state.effectLists = linkKind != 0;
        break;
    default:
        break;
    }
    if (state.effectLists && entryEffect) {
        state.entryTime = HasEffectTime(table, *entryEffect);
        state.entryDirection = EffectDirectionSet(table, *entryEffect).has_value();
    }
    if (state.effectLists && exitEffect) {
        state.exitTime = HasEffectTime(table, *exitEffect);
        state.exitDirection = EffectDirectionSet(table, *exitEffect).has_value();
    }
    return state;
}

EffectLists EffectListsForMode(const CEffectIni& table, int32_t kind, int32_t linkKind)
{
    // A LINK takes the effects of the kind it shows; only pictures, cameras and movies count.
    const int32_t judged = kind == Item::MODE_LINK ? (IsLinkableMode(linkKind) ? linkKind : -1) : kind;
    EffectLists lists;
    for (const tagCEF_EFFECT_TABLE& row : table.Rows()) {
        if (!row.AllowsMode(judged))
            continue;
        if (row.IsEntryEffect())
            lists.entry.push_back({ row.Name, row.No });
        if (row.IsExitEffect())
            lists.exit.push_back({ row.Name, row.No });
    }
    return lists;
}

std::vector<ListEntry> DirectionSet(const CEffectIni& table, int set)
{
    std::vector<ListEntry> entries;
    for (int index = 0;; ++index) {
        const QString name = table.GetDirectionName(set, index);
        if (name.isEmpty())
            break;
        entries.push_back({ name, index });
    }
    return entries;
}

std::vector<ListEntry> DirectionsOfRowAt(const CEffectIni& table, int row)
{
    if (row < 0 || row >= int(table.Rows().size()))
        return {};
    return DirectionSet(table, table.Rows()[size_t(row)].DIR);
}

std::optional<bool> FilterListEnabled(bool faceFieldBlank, int32_t kind, int32_t linkKind)
{
    if (faceFieldBlank)
        return false;
    switch (kind) {
    case Item::MODE_IMAGE:
    case Item::MODE_CAMERA:
    case Item::MODE_MOVIE:
        return true;
    case Item::MODE_LINK:
        return IsLinkableMode(linkKind);
    case Item::MODE_NONE:
    case Item::MODE_SOUND:
        return false;
    default:
        return std::nullopt;
    }
}

} // namespace itempanel
