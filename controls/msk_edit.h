#pragma once

#include "controls/msk_edit_base.h"

// The editor's masked edit: a time above the maximum is refused with a message box (one at a
// time), and Ctrl+Z undoes only when undo is enabled.
class KALEIDRA_CONTROLS_EXPORT CMskEdit : public CMskEditBase {
    Q_OBJECT

public:
    explicit CMskEdit(QWidget* parent = nullptr);

    void SetHourMax(int hours); // the time maximum becomes hours x 360000
    void SetTimeMax(int32_t hundredths) { m_timeMax = hundredths; }
    int32_t GetTimeMax() const { return m_timeMax; }
    // Replaces the message shown for a time above the maximum: two "%s" take the lowest and the
    // highest time. A null text keeps the message.
    void SetTimeRangeErrMsg(const QString& format);
    void SetUndoEnable(bool enable) { m_undoEnable = enable; }
    bool GetUndoEnable() const { return m_undoEnable; }
    static QString GetFormatTimeStr(int64_t hundredths);

protected:
    bool AcceptTime(int64_t hundredths) override;
    bool UndoAllowed() const override { return m_undoEnable; }

private:
    int32_t m_timeMax = 2147483647;
    bool m_undoEnable = false;
    bool m_messageGuard = false;
    QString m_timeRangeMessage;
};
