#include "tests/itempanel/page_fixtures.h"

#include <QApplication>
#include <QComboBox>
#include <QFocusEvent>
#include <QKeyEvent>
#include <QLineEdit>

namespace page_fixtures {

bool CFakeMedia::OpenMovie(const QString& path)
{
    m_open.reset();
    if (!movies.contains(path))
        return false;
    m_open = movies.value(path);
    return true;
}

QImage CFakeMedia::GetFrameBitmap(int32_t timeMs)
{
    if (frameTimes)
        frameTimes->push_back(timeMs);
    if (!m_open || !framesAvailable)
        return QImage();
    QImage frame(m_open->size, QImage::Format_ARGB32);
    frame.fill(QColor(10, 200, 30));
    return frame;
}

bool CFakeMedia::GetSoundLength(const QString& path, int32_t& lengthMs)
{
    lengthMs = soundLengths.value(path, 0);
    return soundLengths.contains(path);
}

void CFakeFaces::GetFaceNumbers(int32_t channel, std::vector<int32_t>& numbers) const
{
    numbers.clear();
    for (const tagTL_FACE_DATA& face : faces) {
        if (face.Channel == channel)
            numbers.push_back(face.No);
    }
}

int CFakeFaces::GetFaceData(int32_t channel, int32_t faceNo, tagTL_FACE_DATA& face) const
{
    for (const tagTL_FACE_DATA& candidate : faces) {
        if (candidate.Channel == channel && candidate.No == faceNo) {
            face = candidate;
            return 1;
        }
    }
    return 0;
}

bool CFakeFaces::GetItemRecord(int32_t faceNo, int32_t start, tagTL_FACE_ITEM_DATA& item) const
{
    item.Clear();
    for (const tagTL_FACE_DATA& face : faces) {
        for (const tagTL_FACE_ITEM_DATA& candidate : face.Items) {
            if (face.No == faceNo && candidate.Start == start) {
                item = candidate;
                return true;
            }
        }
    }
    return false;
}

bool CFakeFaces::FindNextItem(int32_t faceNo, int32_t time, tagTL_FACE_ITEM_DATA& item) const
{
    const tagTL_FACE_ITEM_DATA* next = nullptr;
    for (const tagTL_FACE_DATA& face : faces) {
        for (const tagTL_FACE_ITEM_DATA& candidate : face.Items) {
            if (face.No == faceNo && candidate.Start > time && (!next || candidate.Start < next->Start))
                next = &candidate;
        }
    }
    if (next)
        item = *next;
    return next != nullptr;
}

tagTL_FACE_ITEM_DATA* CFakeFaces::Find(int32_t faceNo, int32_t start)
{
    for (tagTL_FACE_DATA& face : faces) {
        for (tagTL_FACE_ITEM_DATA& item : face.Items) {
            if (face.No == faceNo && item.Start == start)
                return &item;
        }
    }
    return nullptr;
}

int CFakeFaces::SetItemData(const tagTL_FACE_ITEM_DATA& item)
{
    tagTL_FACE_ITEM_DATA* live = Find(item.FaceNo, item.Start);
    if (!live)
        return 0;
    *live = item;
    writes << QStringLiteral("%1@%2").arg(item.FaceNo).arg(item.Start);
    return 1;
}

void TypeText(QLineEdit* edit, const QString& text)
{
    edit->setText(text);
    edit->setModified(true);
}

void Choose(QComboBox* combo, int index)
{
    combo->setCurrentIndex(index);
    emit combo->activated(index);
}

void PressKey(QWidget* widget, int key, Qt::KeyboardModifiers modifiers)
{
    QKeyEvent press(QEvent::KeyPress, key, modifiers);
    QApplication::sendEvent(widget, &press);
}

void LeaveField(QWidget* widget, Qt::FocusReason reason)
{
    QFocusEvent out(QEvent::FocusOut, reason);
    QApplication::sendEvent(widget, &out);
}

QByteArray SampleEffectIni()
{
    // Rows carry the numbers 0.. in order: cut (no time, set 0, every kind), fade (time, no
    // direction, sound too), wipe (time, set 1, no sound), still (neither time nor direction,
    // set 0, pictures only).
    return "[EFFECT]\r\n"
           "No001=0\r\nName001=cut\r\nIN001=1\r\nOUT001=1\r\nDIR001=0\r\n"
           "MODE_IMAGE001=1\r\nMODE_CAMERA001=1\r\nMODE_MOVIE001=1\r\nMODE_SOUND001=1\r\n"
           "No002=1\r\nName002=fade\r\nIN002=1\r\nOUT002=1\r\nTIME002=1\r\n"
           "MODE_IMAGE002=1\r\nMODE_CAMERA002=1\r\nMODE_MOVIE002=1\r\nMODE_SOUND002=1\r\n"
           "No003=2\r\nName003=wipe\r\nIN003=1\r\nOUT003=1\r\nTIME003=1\r\nDIR003=1\r\n"
           "MODE_IMAGE003=1\r\nMODE_CAMERA003=1\r\nMODE_MOVIE003=1\r\n"
           "No004=3\r\nName004=still\r\nIN004=1\r\nOUT004=1\r\nMODE_IMAGE004=1\r\n"
           "[DIRECTION]\r\nDIR_000_000=none\r\nDIR_001_000=left\r\nDIR_001_001=right\r\n";
}

QByteArray SampleFilterIni()
{
    QByteArray text
        = "[FILTER]\r\n"
          "No001=0\r\nName001=none\r\nParamCount001=0\r\n"
          "No002=1\r\nName002=light\r\nParamCount002=2\r\n"
          "ParamName002_01=amount\r\nParamType002_01=1\r\nParamMin002_01=-100\r\n"
          "ParamMax002_01=100\r\nParamDef002_01=20\r\nParamStep002_01=10\r\nParamUnit002_01=%\r\n"
          "ParamName002_02=invert\r\nParamType002_02=2\r\nParamMin002_02=0\r\n"
          "ParamMax002_02=1\r\nParamDef002_02=1\r\nParamStep002_02=1\r\n"
          "No003=2\r\nName003=odd\r\nParamCount003=2\r\n"
          "ParamName003_01=kind 7\r\nParamType003_01=7\r\n"
          "ParamName003_02=level\r\nParamType003_02=1\r\nParamMin003_02=0\r\nParamMax003_02=50\r\n"
          "ParamDef003_02=5\r\nParamStep003_02=5\r\n"
          "No004=3\r\nName004=twelve\r\nParamCount004=12\r\n";
    for (int p = 1; p <= 12; ++p)
        text += QString::asprintf("ParamName004_%02d=p%d\r\nParamType004_%02d=1\r\nParamMin004_%02d=0\r\n"
                                  "ParamMax004_%02d=99\r\nParamDef004_%02d=%d\r\n",
            p, p, p, p, p, p, p)
                    .toUtf8();
    return text;
}

} // namespace page_fixtures
