#pragma once

#include <QLocale>

class QTranslator;

namespace platform {

// Installs Qt's own translations (qtbase_<language>.qm from Qt's translations folder) for the
// locale, so that the standard buttons, edit menus and file dialogs speak the program's
// language. Returns the installed translator (owned by the application), or nullptr when Qt has
// no translation for the locale. Each window program calls it once at start.
QTranslator* LoadQtTranslations(const QLocale& locale = QLocale::system());

} // namespace platform
