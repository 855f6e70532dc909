#include "tables/effect_ini.h"
#include "timeline/timeline_model.h"

using namespace timeline;

QString CTimeLineModel::GetCameraName(int32_t cameraId) const
{
    if (cameraId < 0)
        return m_languageTexts ? m_languageTexts->texts[39] : QStringLiteral("未設定");
    return GetCameraSetting(cameraId).CameraName;
}

tagCAMERA_SETTING_DATA CTimeLineModel::GetCameraSetting(int32_t cameraId) const
{
    for (const tagCAMERA_SETTING_DATA& camera : m_cameras) {
        if (camera.CameraId == cameraId)
            return camera;
    }
    return {};
}

QString CTimeLineModel::GetEffectName(int32_t effectNo) const
{
    const CEffectIni* table = m_panel->EffectTable();
    return table ? table->GetEffectName(effectNo) : QString();
}

bool CTimeLineModel::GetTrackRectAt(int x, int y, TlRect& track) const
{
    for (size_t row = 0; row < m_viewport.rowRects.size(); ++row) {
        const tagTL_FACE_RECT& rect = m_viewport.rowRects[row];
        if (!rect.rcRow.Contains(x, y) || int64_t(m_viewport.firstRow) + int64_t(row) >= FaceCount())
            continue;
        if (rect.rcTrack.Contains(x, y)) {
            track = rect.rcTrack;
            return true;
        }
    }
    return false;
}

void CTimeLineModel::SetContextMenuTexts(MenuEntry& menu) const
{
    if (!m_languageTexts)
        return;
    const auto& texts = m_languageTexts->texts;
    const auto setAt = [](MenuEntry* popup, int position, const QString& text) {
        if (MenuEntry* entry = popup ? popup->At(position) : nullptr)
            entry->text = text;
    };
    const auto setCommand = [&menu](int id, const QString& text) {
        if (MenuEntry* entry = menu.FindCommand(id))
            entry->text = text;
    };
    setAt(&menu, 0, texts[0]);
    setCommand(ID_ITEM_PROPERTIES, texts[1]);
    setCommand(ID_ITEM_EFFECT, texts[2]);
    setCommand(ID_ITEM_FILTER, texts[3]);
    setAt(&menu, 2, texts[4]);
    setCommand(ID_FACE_ADD, texts[5]);
    setCommand(ID_FACE_DELETE, texts[6]);
    setCommand(ID_FACE_INSERT, texts[7]);
    setCommand(ID_FACE_POSITION_CLEAR, texts[10]);
    setAt(&menu, 4, texts[11]);
    if (MenuEntry* itemPopup = menu.At(4); itemPopup && itemPopup->kind == MenuEntry::Kind::Popup) {
        setAt(itemPopup, 0, texts[12]);
        setAt(itemPopup, 4, texts[15]);
        setAt(itemPopup, 6, texts[20]);
    }
    setCommand(ID_ITEM_DELETE, texts[13]);
    setCommand(ID_ITEM_DELETE_SELECTED, texts[14]);
    setCommand(ID_EFFECT_DISPLAY, texts[16]);
    setCommand(ID_EFFECT_CLEAR_IN_OUT, texts[17]);
    setCommand(ID_EFFECT_CLEAR_IN, texts[18]);
    setCommand(ID_EFFECT_CLEAR_OUT, texts[19]);
    setCommand(ID_FILTER_CLEAR, texts[21]);
    setCommand(ID_EFFECT_COPY, texts[22]);
    setCommand(ID_EFFECT_PASTE, texts[23]);
    setCommand(ID_FILTER_COPY, texts[24]);
    setCommand(ID_FILTER_PASTE, texts[25]);
    setAt(&menu, 5, texts[26]);
    setCommand(ID_ITEM_COPY, texts[27] + QStringLiteral("\tCtrl+C"));
    setCommand(ID_ITEM_PASTE, texts[28]);
    setCommand(ID_ITEM_SELECT_ALL_IN_FACE, texts[29]);
    setCommand(ID_ITEM_PACK_FORWARD, texts[30] + QStringLiteral("\tCtrl+←"));
    setCommand(ID_ITEM_PACK_BACKWARD, texts[31] + QStringLiteral("\tCtrl+→"));
    setAt(&menu, 6, texts[32]);
    if (MenuEntry* alignPopup = menu.At(6); alignPopup && alignPopup->kind == MenuEntry::Kind::Popup) {
        setAt(alignPopup, 0, texts[33]);
        setAt(alignPopup, 1, texts[34]);
    }
    setCommand(ID_ALIGN_START_EARLIEST, texts[35]);
    setCommand(ID_ALIGN_START_LATEST, texts[36]);
    setCommand(ID_ALIGN_DURATION_SHORTEST, texts[37]);
    setCommand(ID_ALIGN_DURATION_LONGEST, texts[38]);
}
