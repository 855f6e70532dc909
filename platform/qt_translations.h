#pragma once

class QTranslator;

namespace platform {

// Installs Qt's own Japanese translations (qtbase_ja.qm from Qt's translations folder), whatever
// the system's locale: the programs speak Japanese, so the standard buttons, edit menus and file
// dialogs do too, and no window mixes languages. Returns the installed translator (owned by the
// application), or nullptr when Qt's translations are missing. Each window program calls it once
// at start.
QTranslator* LoadQtTranslations();

} // namespace platform
