#pragma once

#include "core/boot_param.h"

#include <QString>
#include <QStringList>
#include <optional>

// Names under which the editor's instances find each other. $KALEIDRA_INSTANCE_SUFFIX is
// appended to each, so tests can run editors side by side.
struct EditorInstanceNames {
    QString lock; // the machine-wide lock
    QString server; // the running editor's local socket; holds the program file's name
    QString bootBlock; // the boot-parameter block
};
EditorInstanceNames MakeEditorInstanceNames(const QString& moduleFileTitle);

struct SecondStartResult {
    bool foundRunningInstance = false;
    // What happened to the first argument; nothing when there was none to hand over.
    std::optional<BootParamWrite> handOver;
};

// A second start: when an editor listens under serverName, hands the first argument, made
// absolute against workingFolder, to it through the block and brings its window to the front.
// Further arguments are ignored.
SecondStartResult HandOverToRunningInstance(const QString& serverName,
    CMemMapped& bootMemory,
    const QStringList& arguments,
    const QString& workingFolder);
