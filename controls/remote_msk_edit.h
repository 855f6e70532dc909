#pragma once

#include "controls/msk_edit_base.h"

namespace controls::remote {

// The remote-control program's masked edit: the time type silently refuses a text whose hours
// exceed the hour maximum, and Ctrl+Z undoes whenever there is something to undo. Read-only
// is set with setReadOnly().
class KALEIDRA_CONTROLS_EXPORT CMskEdit : public CMskEditBase {
    Q_OBJECT

public:
    explicit CMskEdit(QWidget* parent = nullptr);

    void SetHourMax(int hours) { m_hourMax = hours; }

protected:
    bool AcceptTime(int64_t hundredths) override;
    bool UndoAllowed() const override { return true; }

private:
    int m_hourMax = 2147483647;
};

} // namespace controls::remote
