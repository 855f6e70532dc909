#include "tests/timeline/recording_owner.h"

using namespace timeline;

namespace {

QString Key(const tagTL_FACE_ITEM_DATA& item)
{
    return QStringLiteral("%1@%2").arg(item.FaceNo).arg(item.Start);
}

QString NameOf(unsigned message)
{
    switch (message) {
    case WM_TL_FACE_ADDED:
        return QStringLiteral("FACE_ADDED");
    case WM_TL_FACE_DELETED:
        return QStringLiteral("FACE_DELETED");
    case WM_TL_ITEM_ADDED:
        return QStringLiteral("ITEM_ADDED");
    case WM_TL_ITEM_DELETED:
        return QStringLiteral("ITEM_DELETED");
    case WM_TL_ITEM_MOVED:
        return QStringLiteral("ITEM_MOVED");
    case WM_TL_ITEM_COPIED:
        return QStringLiteral("ITEM_COPIED");
    case WM_TL_FACE_CHANGED:
        return QStringLiteral("FACE_CHANGED");
    case WM_TL_ITEM_CHANGED:
        return QStringLiteral("ITEM_CHANGED");
    case WM_TL_SELECT_FACE:
        return QStringLiteral("SELECT_FACE");
    case WM_TL_PLAYPOS_SET:
        return QStringLiteral("PLAYPOS_SET");
    case WM_TL_PLAYPOS_DRAG:
        return QStringLiteral("PLAYPOS_DRAG");
    case WM_TL_IN_MOVED:
        return QStringLiteral("IN_MOVED");
    case WM_TL_OUT_MOVED:
        return QStringLiteral("OUT_MOVED");
    case WM_TL_FACE_MOVED:
        return QStringLiteral("FACE_MOVED");
    case WM_TL_FACE_COPIED:
        return QStringLiteral("FACE_COPIED");
    case WM_TL_FACE_INSERTED:
        return QStringLiteral("FACE_INSERTED");
    case WM_TL_FACES_REFRESH:
        return QStringLiteral("FACES_REFRESH");
    case WM_TL_VIEWER_SYNC:
        return QStringLiteral("VIEWER_SYNC");
    case WM_TL_WAIT_BEGIN:
        return QStringLiteral("WAIT_BEGIN");
    case WM_TL_WAIT_END:
        return QStringLiteral("WAIT_END");
    case WM_TL_CHANGE_GROUP:
        return QStringLiteral("CHANGE_GROUP");
    default:
        return QStringLiteral("0x%1").arg(message, 0, 16);
    }
}

RecordedNotification Make(unsigned message, int wParam)
{
    RecordedNotification notification;
    notification.message = message;
    notification.wParam = wParam;
    return notification;
}

} // namespace

QStringList CRecordingOwner::Log() const
{
    QStringList log;
    for (const RecordedNotification& n : received) {
        QString text = NameOf(n.message);
        if (n.pair)
            text += u' ' + Key(n.pair->before) + u'>' + Key(n.pair->after);
        else if (n.item)
            text += u' ' + Key(*n.item);
        else if (n.face)
            text += u' ' + QString::number(n.face->No);
        else if (n.moveInfo)
            text += QStringLiteral(" %1>%2").arg(n.moveInfo->sourceRow).arg(n.moveInfo->targetRow);
        else if (n.copyInfo)
            text += QStringLiteral(" %1>%2").arg(n.copyInfo->sourceRow).arg(n.copyInfo->targetRow);
        else if (n.insertInfo)
            text += QStringLiteral(" %1").arg(n.insertInfo->row);
        else if (n.message != WM_TL_FACES_REFRESH && n.message != WM_TL_WAIT_BEGIN
            && n.message != WM_TL_WAIT_END)
            text += u' ' + QString::number(n.wParam);
        log << text;
    }
    return log;
}

std::vector<unsigned> CRecordingOwner::Messages() const
{
    std::vector<unsigned> messages;
    for (const RecordedNotification& n : received)
        messages.push_back(n.message);
    return messages;
}

std::vector<RecordedNotification> CRecordingOwner::Of(unsigned message) const
{
    std::vector<RecordedNotification> found;
    for (const RecordedNotification& n : received) {
        if (n.message == message)
            found.push_back(n);
    }
    return found;
}

int CRecordingOwner::Record(RecordedNotification notification)
{
    received.push_back(notification);
    if (onNotification)
        onNotification(received.back());
    return 0;
}

int CRecordingOwner::OnTlFaceAdded(const tagTL_FACE_DATA& face)
{
    return Record(Make(WM_TL_FACE_ADDED, 1).With(&RecordedNotification::face, face));
}

int CRecordingOwner::OnTlFaceDeleted(const tagTL_FACE_DATA& face)
{
    return Record(Make(WM_TL_FACE_DELETED, 1).With(&RecordedNotification::face, face));
}

int CRecordingOwner::OnTlItemAdded(const tagTL_FACE_ITEM_DATA& item)
{
    return Record(Make(WM_TL_ITEM_ADDED, 1).With(&RecordedNotification::item, item));
}

int CRecordingOwner::OnTlItemDeleted(const tagTL_FACE_ITEM_DATA& item)
{
    return Record(Make(WM_TL_ITEM_DELETED, 1).With(&RecordedNotification::item, item));
}

int CRecordingOwner::OnTlItemMoved(const ItemRecordPair& change)
{
    return Record(Make(WM_TL_ITEM_MOVED, 1).With(&RecordedNotification::pair, change));
}

int CRecordingOwner::OnTlItemCopied(const ItemRecordPair& change)
{
    return Record(Make(WM_TL_ITEM_COPIED, 1).With(&RecordedNotification::pair, change));
}

int CRecordingOwner::OnTlFaceChanged(const tagTL_FACE_DATA& face, int notifyViewer)
{
    return Record(Make(WM_TL_FACE_CHANGED, notifyViewer).With(&RecordedNotification::face, face));
}

int CRecordingOwner::OnTlItemChanged(const ItemRecordPair& change)
{
    return Record(Make(WM_TL_ITEM_CHANGED, 1).With(&RecordedNotification::pair, change));
}

void CRecordingOwner::OnTlSelectFace(int32_t faceNo, const tagTL_FACE_ITEM_DATA* item)
{
    RecordedNotification n = Make(WM_TL_SELECT_FACE, faceNo);
    if (item)
        n.item = *item;
    Record(n);
}

void CRecordingOwner::OnTlPlayPositionSet(int32_t time)
{
    Record(Make(WM_TL_PLAYPOS_SET, time));
}

void CRecordingOwner::OnTlPlayPositionDrag(int32_t time)
{
    Record(Make(WM_TL_PLAYPOS_DRAG, time));
}

void CRecordingOwner::OnTlInMoved(int32_t time)
{
    Record(Make(WM_TL_IN_MOVED, time));
}

void CRecordingOwner::OnTlOutMoved(int32_t time)
{
    Record(Make(WM_TL_OUT_MOVED, time));
}

void CRecordingOwner::OnTlFaceMoved(const FaceMoveInfo& info)
{
    Record(Make(WM_TL_FACE_MOVED, 0).With(&RecordedNotification::moveInfo, info));
}

void CRecordingOwner::OnTlFaceCopied(const FaceCopyInfo& info)
{
    Record(Make(WM_TL_FACE_COPIED, 0).With(&RecordedNotification::copyInfo, info));
}

void CRecordingOwner::OnTlFaceInserted(const FaceInsertInfo& info)
{
    Record(Make(WM_TL_FACE_INSERTED, 0).With(&RecordedNotification::insertInfo, info));
}

void CRecordingOwner::OnTlFacesRefresh()
{
    Record(Make(WM_TL_FACES_REFRESH, 0));
}

void CRecordingOwner::OnTlViewerSync(int ended)
{
    Record(Make(WM_TL_VIEWER_SYNC, ended));
}

void CRecordingOwner::OnTlWaitBegin()
{
    Record(Make(WM_TL_WAIT_BEGIN, 1));
}

void CRecordingOwner::OnTlWaitEnd()
{
    Record(Make(WM_TL_WAIT_END, 0));
}

void CRecordingOwner::OnTlChangeGroup(int begin)
{
    Record(Make(WM_TL_CHANGE_GROUP, begin));
}
