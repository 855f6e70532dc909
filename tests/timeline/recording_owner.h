#pragma once

#include "timeline/timeline_messages.h"
#include "timeline/timeline_owner.h"

#include <QString>
#include <QStringList>
#include <functional>
#include <optional>
#include <vector>

// One notification as the owner received it.
struct RecordedNotification {
    unsigned message = 0;
    int wParam = 0;
    std::optional<tagTL_FACE_DATA> face;
    std::optional<tagTL_FACE_ITEM_DATA> item;
    std::optional<ItemRecordPair> pair;
    std::optional<FaceMoveInfo> moveInfo;
    std::optional<FaceCopyInfo> copyInfo;
    std::optional<FaceInsertInfo> insertInfo;

    template <typename Field, typename Value>
    RecordedNotification With(std::optional<Field> RecordedNotification::*field, const Value& value) &&
    {
        this->*field = value;
        return std::move(*this);
    }
};

// An owner that records every notification; a test may hook a reaction to each one (an owner
// that calls back into the timeline).
class CRecordingOwner : public CTimeLineOwner {
public:
    std::vector<RecordedNotification> received;
    std::function<void(const RecordedNotification&)> onNotification;

    void Clear() { received.clear(); }
    // The notifications in a short form, one text each: "ITEM_MOVED 1@500>1@300",
    // "FACE_ADDED 3", "CHANGE_GROUP 1".
    QStringList Log() const;
    std::vector<unsigned> Messages() const;
    // The received notifications of one kind.
    std::vector<RecordedNotification> Of(unsigned message) const;

    int OnTlFaceAdded(const tagTL_FACE_DATA& face) override;
    int OnTlFaceDeleted(const tagTL_FACE_DATA& face) override;
    int OnTlItemAdded(const tagTL_FACE_ITEM_DATA& item) override;
    int OnTlItemDeleted(const tagTL_FACE_ITEM_DATA& item) override;
    int OnTlItemMoved(const ItemRecordPair& change) override;
    int OnTlItemCopied(const ItemRecordPair& change) override;
    int OnTlFaceChanged(const tagTL_FACE_DATA& face, int notifyViewer) override;
    int OnTlItemChanged(const ItemRecordPair& change) override;
    void OnTlSelectFace(int32_t faceNo, const tagTL_FACE_ITEM_DATA* item) override;
    void OnTlPlayPositionSet(int32_t time) override;
    void OnTlPlayPositionDrag(int32_t time) override;
    void OnTlInMoved(int32_t time) override;
    void OnTlOutMoved(int32_t time) override;
    void OnTlFaceMoved(const FaceMoveInfo& info) override;
    void OnTlFaceCopied(const FaceCopyInfo& info) override;
    void OnTlFaceInserted(const FaceInsertInfo& info) override;
    void OnTlFacesRefresh() override;
    void OnTlViewerSync(int ended) override;
    void OnTlWaitBegin() override;
    void OnTlWaitEnd() override;
    void OnTlChangeGroup(int begin) override;

private:
    int Record(RecordedNotification notification);
};
