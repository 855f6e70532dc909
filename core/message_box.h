#pragma once

#include <QString>

// The caption of every message box of the editor, and of its main window.
inline constexpr char16_t kKaleidraCaption[] = u"Kaleidra Pro";

#include <functional>

// Shows a message box of the editor (through the application object when there is one) and
// returns the answer (IDOK, IDCANCEL, IDYES, IDNO).
int KaleidraMessageBox(const QString& text, unsigned type);

// Shows a message of the editor without waiting for it and without taking the keyboard from the
// editor's windows (a report of the viewer program while the user works).
void KaleidraNotice(const QString& text, unsigned type);

// The application object routes the editor's message boxes through itself while it lives;
// an empty function puts the dialog service back.
using KaleidraMessageBoxHandler = std::function<int(const QString& text, unsigned type)>;
void SetKaleidraMessageBoxHandler(KaleidraMessageBoxHandler handler);
