#pragma once

#include <QtCore/qglobal.h>

// The controls are one shared library linked by the editor and the remote-control program;
// only what is marked with this macro is visible outside it.
#if defined(KALEIDRA_CONTROLS_LIBRARY)
#define KALEIDRA_CONTROLS_EXPORT Q_DECL_EXPORT
#else
#define KALEIDRA_CONTROLS_EXPORT Q_DECL_IMPORT
#endif
