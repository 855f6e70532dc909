#include "core/message_box.h"
#include "core/message_catalog.h"
#include "platform/dialog_service.h"
#include "timeline/timeline_messages.h"
#include "timeline/timeline_model.h"

#include <algorithm>

using namespace timeline;

namespace {

constexpr int kTextFaceHasItems = 0;
constexpr int kTextDeleteFace = 1;
constexpr int kTextDeleteItem = 2;
constexpr int kTextDeleteItems = 3;

// The commands that change a face or its items, greyed on a locked face.
constexpr std::initializer_list<int> kItemAddCommands = { ID_ITEM_ADD_NONE, ID_ITEM_ADD_IMAGE,
    ID_ITEM_ADD_CAMERA, ID_ITEM_ADD_MOVIE, ID_ITEM_ADD_SOUND, ID_ITEM_ADD_LINK };

QString Filled(const QString& text, qint64 number)
{
    const MessageArgument argument = number;
    return FillMessageArguments(text, std::span<const MessageArgument>(&argument, 1));
}

} // namespace

bool CTimeLineModel::AskYesNo(const QString& text) const
{
    return KaleidraMessageBox(text, platform::MB_YESNO | platform::MB_ICONQUESTION) == platform::IDYES;
}

// ---- The right-button release -----------------------------------------------------------------

bool CTimeLineModel::OnRButtonUp(int x, int y, bool ctrl)
{
    m_currentItem = TlItemRef();
    m_currentFace = -1;
    m_clickedTime = -1;
    const int row = m_viewport.RowAt(x, y);
    if (row >= 0) {
        const int64_t index = int64_t(m_viewport.firstRow) + row;
        if (index >= FaceCount()) {
            ClearSelection();
            m_panel->ClearItem();
        } else {
            const tagTL_FACE_DATA& face = m_faces[size_t(index)];
            const TlRect& track = m_viewport.rowRects[size_t(row)].rcTrack;
            m_currentFace = face.No;
            m_clickedTime = XToTime(x - track.left);
            const int64_t time = m_clickedTime;
            const auto found = std::find_if(
                face.Items.begin(), face.Items.end(), [time](const tagTL_FACE_ITEM_DATA& item) {
                    return item.Start < time && time <= ItemEnd(item);
                });
            if (found != face.Items.end()) {
                const tagTL_FACE_ITEM_DATA item = *found;
                const bool selected = IsItemSelected(item.FaceNo, item.Start);
                if (!ctrl && !selected)
                    ClearSelection();
                if (ctrl || !selected) {
                    SelectLinkedItems(item);
                    AddToSelection(item);
                }
                m_currentItem = TlItemRef { item.FaceNo, item.Start };
                SyncPanelFaceList();
                m_panel->SetItem(item);
                RepaintControl();
                if (m_owner)
                    m_owner->OnTlSelectFace(item.FaceNo, &item);
            } else {
                ClearSelection();
                m_panel->ClearItem();
            }
        }
    }
    if (m_selection.Empty()) {
        if (m_owner)
            m_owner->OnTlSelectFace(0, nullptr);
        RepaintControl();
    }
    if (!m_projectOpen || m_mouseState != TL_MOUSE_NONE)
        return false;
    m_hover.part = 0;
    return true;
}

MenuEntry CTimeLineModel::BuildContextMenu() const
{
    MenuEntry menu = MakeContextMenu();
    SetContextMenuTexts(menu);

    if (m_panel->IsPanelVisible()) {
        const int pages[] = { ID_ITEM_PROPERTIES, ID_ITEM_EFFECT, ID_ITEM_FILTER };
        for (int tab = 0; tab < 3; ++tab)
            menu.FindCommand(pages[tab])->checked = m_panel->CurrentTab() == tab;
    }
    const bool onFace = m_currentFace >= 0;
    const bool onItem = m_currentItem.IsSet();
    if (!onFace)
        DisableCommands(menu,
            { ID_FACE_DELETE, ID_FACE_INSERT, ID_FACE_POSITION_COPY, ID_FACE_POSITION_PASTE,
                ID_FACE_POSITION_CLEAR, ID_ITEM_SELECT_ALL_IN_FACE, ID_ITEM_PASTE });
    if (!onItem) {
        DisableCommands(menu,
            { ID_ITEM_DELETE_SELECTED, ID_ITEM_DELETE, ID_ITEM_COPY, ID_ITEM_PACK_FORWARD,
                ID_ITEM_PACK_BACKWARD, ID_ALIGN_START_EARLIEST, ID_ALIGN_START_LATEST,
                ID_ALIGN_DURATION_SHORTEST, ID_ALIGN_DURATION_LONGEST, ID_EFFECT_CLEAR_IN_OUT,
                ID_EFFECT_CLEAR_IN, ID_EFFECT_CLEAR_OUT, ID_FILTER_CLEAR, ID_EFFECT_COPY, ID_EFFECT_PASTE,
                ID_FILTER_COPY, ID_FILTER_PASTE });
    } else if (HasLockedSelectedLink(m_currentItem.faceNo, m_currentItem.start)) {
        DisableCommands(menu,
            { ID_ITEM_DELETE_SELECTED, ID_ITEM_DELETE, ID_ITEM_PACK_FORWARD, ID_ITEM_PACK_BACKWARD,
                ID_ALIGN_START_EARLIEST, ID_ALIGN_START_LATEST, ID_ALIGN_DURATION_SHORTEST,
                ID_ALIGN_DURATION_LONGEST, ID_EFFECT_CLEAR_IN_OUT, ID_EFFECT_CLEAR_IN, ID_EFFECT_CLEAR_OUT,
                ID_FILTER_CLEAR });
    }
    if (!onFace || onItem || m_clickedTime >= m_projectLength)
        DisableCommands(menu, kItemAddCommands);
    if (onFace && IsFaceLocked(m_currentFace)) {
        DisableCommands(menu, kItemAddCommands);
        DisableCommands(menu,
            { ID_FACE_DELETE, ID_FACE_POSITION_COPY, ID_FACE_POSITION_PASTE, ID_FACE_POSITION_CLEAR,
                ID_ITEM_DELETE_SELECTED, ID_ITEM_DELETE, ID_EFFECT_CLEAR_IN_OUT, ID_EFFECT_CLEAR_IN,
                ID_EFFECT_CLEAR_OUT, ID_FILTER_CLEAR, ID_ITEM_PASTE, ID_ITEM_PACK_FORWARD,
                ID_ITEM_PACK_BACKWARD, ID_ALIGN_START_EARLIEST, ID_ALIGN_START_LATEST,
                ID_ALIGN_DURATION_SHORTEST, ID_ALIGN_DURATION_LONGEST });
    }
    if (m_itemClipboard.empty())
        DisableCommands(menu, { ID_ITEM_PASTE });
    if (!m_effectBuffer)
        DisableCommands(menu, { ID_EFFECT_PASTE });
    if (!m_filterBuffer)
        DisableCommands(menu, { ID_FILTER_PASTE });
    if (!m_positionBuffer)
        DisableCommands(menu, { ID_FACE_POSITION_PASTE });
    if (!m_panel->IsEffectsTabEnabled())
        DisableCommands(menu,
            { ID_EFFECT_DISPLAY, ID_EFFECT_CLEAR_IN_OUT, ID_EFFECT_CLEAR_IN, ID_EFFECT_CLEAR_OUT,
                ID_EFFECT_COPY, ID_EFFECT_PASTE });
    if (!m_panel->IsFilterTabEnabled())
        DisableCommands(menu, { ID_FILTER_CLEAR, ID_FILTER_COPY, ID_FILTER_PASTE });
    return menu;
}

// ---- Commands ---------------------------------------------------------------------------------

bool CTimeLineModel::RunCommand(int commandId)
{
    switch (commandId) {
    case ID_FACE_ADD:
        OnFaceAdd();
        return true;
    case ID_FACE_DELETE:
        OnFaceDelete();
        return true;
    case ID_FACE_INSERT:
        OnFaceInsert();
        return true;
    case ID_FACE_POSITION_COPY:
        if (m_currentFace >= 0)
            CopyFaceDisplayPosition();
        return true;
    case ID_FACE_POSITION_PASTE:
        if (m_currentFace >= 0)
            PasteFaceDisplayPosition();
        return true;
    case ID_FACE_POSITION_CLEAR:
        OnFacePositionClear();
        return true;
    case ID_ITEM_ADD_NONE:
        OnItemAdd(tagTL_FACE_ITEM_DATA::MODE_NONE);
        return true;
    case ID_ITEM_ADD_IMAGE:
        OnItemAdd(tagTL_FACE_ITEM_DATA::MODE_IMAGE);
        return true;
    case ID_ITEM_ADD_CAMERA:
        OnItemAdd(tagTL_FACE_ITEM_DATA::MODE_CAMERA);
        return true;
    case ID_ITEM_ADD_MOVIE:
        OnItemAdd(tagTL_FACE_ITEM_DATA::MODE_MOVIE);
        return true;
    case ID_ITEM_ADD_SOUND:
        OnItemAdd(tagTL_FACE_ITEM_DATA::MODE_SOUND);
        return true;
    case ID_ITEM_ADD_LINK:
        OnItemAdd(tagTL_FACE_ITEM_DATA::MODE_LINK);
        return true;
    case ID_ITEM_DELETE:
        OnItemDelete();
        return true;
    case ID_ITEM_DELETE_SELECTED:
        OnItemDeleteSelected();
        return true;
    case ID_ITEM_COPY:
        CopySelectedItems();
        return true;
    case ID_ITEM_PASTE:
        OnItemPaste();
        return true;
    case ID_ITEM_SELECT_ALL_IN_FACE:
        OnItemSelectAllInFace();
        return true;
    case ID_ITEM_PACK_FORWARD:
        PackItemsForward();
        return true;
    case ID_ITEM_PACK_BACKWARD:
        PackItemsBackward();
        return true;
    case ID_ALIGN_START_EARLIEST:
        AlignStartTime(0);
        return true;
    case ID_ALIGN_START_LATEST:
        AlignStartTime(1);
        return true;
    case ID_ALIGN_DURATION_SHORTEST:
        AlignDuration(2);
        return true;
    case ID_ALIGN_DURATION_LONGEST:
        AlignDuration(3);
        return true;
    case ID_ITEM_PROPERTIES:
        ShowPanelPage(0);
        return true;
    case ID_ITEM_EFFECT:
        ShowPanelPage(1);
        return true;
    case ID_ITEM_FILTER:
        ShowPanelPage(2);
        return true;
    case ID_EFFECT_DISPLAY:
        ToggleEffectDisplay();
        return true;
    case ID_EFFECT_COPY:
        CopyItemEffect();
        return true;
    case ID_EFFECT_PASTE:
        PasteItemEffect();
        return true;
    case ID_EFFECT_CLEAR_IN_OUT:
        ClearItemEffects(3);
        return true;
    case ID_EFFECT_CLEAR_IN:
        ClearItemEffects(1);
        return true;
    case ID_EFFECT_CLEAR_OUT:
        ClearItemEffects(2);
        return true;
    case ID_FILTER_COPY:
        CopyItemFilter();
        return true;
    case ID_FILTER_PASTE:
        PasteItemFilter();
        return true;
    case ID_FILTER_CLEAR:
        ClearItemFilters();
        return true;
    default:
        return false;
    }
}

void CTimeLineModel::OnFaceAdd()
{
    if (AddFace() == 0)
        return;
    UpdateVertScrollRange();
    RepaintControl();
}

void CTimeLineModel::OnFaceDelete()
{
    const int32_t faceNo = m_currentFace;
    const tagTL_FACE_DATA* face = faceNo > 0 ? FindFace(m_faces, 1, faceNo) : nullptr;
    if (!face)
        return;
    if (!face->Items.empty()) {
        KaleidraMessageBox(MessageText(kTextFaceHasItems), platform::MB_OK | platform::MB_ICONWARNING);
        return;
    }
    if (!AskYesNo(Filled(MessageText(kTextDeleteFace), faceNo)))
        return;
    NotifyChangeGroup(1);
    if (DeleteFace(1, faceNo)) {
        m_panel->ClearItem();
        RepaintControl();
    }
    NotifyChangeGroup(0);
}

void CTimeLineModel::OnFaceInsert()
{
    const int32_t faceNo = m_currentFace;
    if (faceNo < 1)
        return;
    tagTL_FACE_DATA face;
    face.Channel = 1;
    face.No = faceNo;
    face.SubNo = 0;
    face.Status = 1;
    face.Lock = 0;
    const int entry = (FaceCount() + 1) % 10;
    SetFrameColor(face, entry == 0 ? 10 : entry);
    SetDefaultCorners(face, faceNo);
    InsertFace(std::max(faceNo - 1, 0), face);
}

void CTimeLineModel::OnFacePositionClear()
{
    const tagTL_FACE_DATA* found = m_currentFace > 0 ? FindFace(m_faces, 1, m_currentFace) : nullptr;
    if (!found)
        return;
    tagTL_FACE_DATA face = *found;
    SetDefaultCorners(face, face.No);
    SetFaceDisplayPosition(face);
}

void CTimeLineModel::OnItemAdd(int32_t kind)
{
    if (m_currentFace > 0)
        AddItem(m_currentFace, std::max(m_clickedTime, 0), kind);
}

void CTimeLineModel::OnItemDelete()
{
    if (AskYesNo(MessageText(kTextDeleteItem)))
        DeleteCurrentItem();
}

void CTimeLineModel::OnItemDeleteSelected()
{
    if (m_selection.Empty())
        return;
    const QString question = m_selection.Size() > 1
        ? Filled(MessageText(kTextDeleteItems), qint64(m_selection.Size()))
        : MessageText(kTextDeleteItem);
    if (AskYesNo(question))
        DeleteSelectedItems();
}

void CTimeLineModel::OnItemPaste()
{
    if (!m_itemClipboard.empty() && m_currentFace > 0)
        PasteItems(m_currentFace, m_clickedTime);
}

void CTimeLineModel::OnItemSelectAllInFace()
{
    const tagTL_FACE_DATA* face = m_currentFace > 0 ? FindFace(m_faces, 1, m_currentFace) : nullptr;
    if (!face)
        return;
    std::vector<tagTL_FACE_ITEM_DATA> items;
    for (const tagTL_FACE_ITEM_DATA& item : face->Items) {
        if (!IsItemSelected(item.FaceNo, item.Start))
            items.push_back(item);
    }
    SelectWithLinkedItems(items);
    RepaintControl();
}

void CTimeLineModel::ShowPanelPage(int tab)
{
    if (!HasItemPanel())
        return;
    m_panel->ShowPanel();
    m_panel->SelectTab(tab);
}
