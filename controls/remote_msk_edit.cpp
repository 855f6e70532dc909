#include "controls/remote_msk_edit.h"

#include "controls/msk_edit_text.h"

namespace controls::remote {

CMskEdit::CMskEdit(QWidget* parent)
    : CMskEditBase(parent)
{
}

bool CMskEdit::AcceptTime(int64_t hundredths)
{
    return SplitTime(hundredths).hours <= m_hourMax;
}

} // namespace controls::remote
