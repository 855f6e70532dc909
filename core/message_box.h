#pragma once

#include <QString>

// The caption of every message box of the editor, and of its main window.
inline constexpr char16_t kKaleidraCaption[] = u"Kaleidra Pro";

// Shows a message box of the editor (through the application object when there is one) and
// returns the answer (IDOK, IDCANCEL, IDYES, IDNO).
int KaleidraMessageBox(const QString& text, unsigned type);
