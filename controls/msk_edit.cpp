#include "controls/msk_edit.h"

#include "controls/msk_edit_text.h"
#include "platform/dialog_service.h"

#include <algorithm>
#include <limits>

namespace {

const char16_t* const kMessageCaption = u"Kaleidra Pro";

} // namespace

CMskEdit::CMskEdit(QWidget* parent)
    : CMskEditBase(parent)
    , m_timeRangeMessage(
          QStringLiteral("入力した時間が最大値を超えています。\n\n「%s」～「%s」 の範囲で入力してください。"))
{
}

void CMskEdit::SetHourMax(int hours)
{
    const int64_t maximum = int64_t(hours) * 360000;
    m_timeMax = int32_t(std::clamp<int64_t>(
        maximum, std::numeric_limits<int32_t>::min(), std::numeric_limits<int32_t>::max()));
}

void CMskEdit::SetTimeRangeErrMsg(const QString& format)
{
    if (!format.isNull())
        m_timeRangeMessage = format;
}

QString CMskEdit::GetFormatTimeStr(int64_t hundredths)
{
    return controls::FormatTimeText(hundredths);
}

bool CMskEdit::AcceptTime(int64_t hundredths)
{
    // Compared in 64 bits: a typed time beyond the 32-bit range must not wrap into the range.
    if (hundredths <= int64_t(m_timeMax))
        return true;
    if (!m_messageGuard) {
        m_messageGuard = true;
        const QString text = controls::FormatWithStrings(
            m_timeRangeMessage, { GetFormatTimeStr(0), GetFormatTimeStr(m_timeMax) });
        platform::DialogService().MessageBox(text, QString::fromUtf16(kMessageCaption), platform::MB_OK);
        m_messageGuard = false;
    }
    return false;
}
