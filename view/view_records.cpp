#include "view/view_records.h"

#include "core/message_catalog.h"
#include "core/skin_ini.h"

ViewSettingRecord MakeViewSettingRecord(const CSkinIni& skin)
{
    ViewSettingRecord record;
    for (int index = 0; index < int(record.colors.size()); ++index)
        record.colors[size_t(index)] = skin.GetColor(CSkinIni::Color(CSkinIni::kFirstTimeLineColor + index));

    // Each media kind in the states normal, normal, disabled, pressed.
    const auto media
        = [&](size_t first, CSkinIni::Image normal, CSkinIni::Image disabled, CSkinIni::Image pressed) {
              record.images[first] = skin.GetImage(normal);
              record.images[first + 1] = skin.GetImage(normal);
              record.images[first + 2] = skin.GetImage(disabled);
              record.images[first + 3] = skin.GetImage(pressed);
          };
    media(0, CSkinIni::MEDIA_NONE_NORMAL, CSkinIni::MEDIA_NONE_NOT, CSkinIni::MEDIA_NONE_PRESS);
    media(4, CSkinIni::MEDIA_PIC_NORMAL, CSkinIni::MEDIA_PIC_NOT, CSkinIni::MEDIA_PIC_PRESS);
    media(8, CSkinIni::MEDIA_MOV_NORMAL, CSkinIni::MEDIA_MOV_NOT, CSkinIni::MEDIA_MOV_PRESS);
    media(12, CSkinIni::MEDIA_MUSIC_NORMAL, CSkinIni::MEDIA_MUSIC_NOT, CSkinIni::MEDIA_MUSIC_PRESS);
    media(16, CSkinIni::MEDIA_CAMERA_NORMAL, CSkinIni::MEDIA_CAMERA_NOT, CSkinIni::MEDIA_CAMERA_PRESS);
    record.images[20] = skin.GetImage(CSkinIni::BTN_LOCK_UNLOCK);
    record.images[21] = skin.GetImage(CSkinIni::BTN_LOCK_LOCK);
    record.images[22] = skin.GetImage(CSkinIni::BTN_DISPLAY_OFF);
    record.images[23] = skin.GetImage(CSkinIni::BTN_DISPLAY_ON);
    record.images[24] = skin.GetImage(CSkinIni::ICON_LINK_FOCUS);
    record.images[25] = skin.GetImage(CSkinIni::ICON_LINK_NORMAL);
    media(26, CSkinIni::MEDIA_EFE_NORMAL, CSkinIni::MEDIA_EFE_NOT, CSkinIni::MEDIA_EFE_PRESS);
    record.images[30] = skin.GetImage(CSkinIni::ICON_FILTER);
    record.images[31] = skin.GetImage(CSkinIni::ICON_FILTER);
    record.icons = { skin.GetImage(CSkinIni::ICON_CAM), skin.GetImage(CSkinIni::ICON_MUSIC) };

    const CSkinIni::Font fonts[3] = { CSkinIni::kGetTimeLineHeaderFont, CSkinIni::kGetTimeLineFacenoFont,
        CSkinIni::kGetTimeLineItemFont };
    for (size_t index = 0; index < 3; ++index)
        record.fonts[index] = { skin.GetFontFace(fonts[index]), skin.GetFontSize(fonts[index]) };
    return record;
}

std::array<QString, 4> MakeViewMessageRecord(CMessageCatalog& messages)
{
    return { messages.GetMessage(29), messages.GetMessage(30), messages.GetMessage(31),
        messages.GetMessage(32) };
}
