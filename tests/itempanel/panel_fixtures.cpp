#include "tests/itempanel/panel_fixtures.h"

#include "platform/dialog_service.h"

namespace panel_fixtures {

tagTL_FACE_ITEM_DATA MakeItem(int32_t faceNo, int32_t start, int32_t playTime, int32_t mode)
{
    tagTL_FACE_ITEM_DATA item;
    item.Channel = 1;
    item.FaceNo = faceNo;
    item.Start = start;
    item.PlayTime = playTime;
    item.Mode = mode;
    return item;
}

tagTL_FACE_ITEM_DATA MakeLink(
    int32_t faceNo, int32_t start, int32_t playTime, int32_t linkFaceNo, int32_t linkMode)
{
    tagTL_FACE_ITEM_DATA item = MakeItem(faceNo, start, playTime, tagTL_FACE_ITEM_DATA::MODE_LINK);
    item.LinkFaceNo = linkFaceNo;
    item.LinkMode = linkMode;
    return item;
}

tagTL_FACE_ITEM_DATA WithEffects(
    tagTL_FACE_ITEM_DATA item, int32_t inPattern, int32_t inLength, int32_t outPattern, int32_t outLength)
{
    item.InPattern = inPattern;
    item.InStartTime = item.Start;
    item.InEndTime = item.Start + inLength;
    item.OutPattern = outPattern;
    item.OutEndTime = item.Start + item.PlayTime;
    item.OutStartTime = item.OutEndTime - outLength;
    return item;
}

tagTL_FACE_DATA MakeFace(int32_t no, std::vector<tagTL_FACE_ITEM_DATA> items)
{
    tagTL_FACE_DATA face;
    face.Channel = 1;
    face.No = no;
    face.Status = 1;
    face.Items = std::move(items);
    return face;
}

itempanel::AskMessage CScriptedAsk::Fn()
{
    return [this](int messageId, unsigned) {
        asked.push_back(messageId);
        if (answers.empty())
            return int(platform::IDOK);
        const int answer = answers.front();
        answers.pop_front();
        return answer;
    };
}

} // namespace panel_fixtures
