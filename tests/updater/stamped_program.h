#pragma once

#include <QString>

// Writes a program file stamped with the given version ("a.b.c.d"): a copy of the stamped
// fixture program with the four parts of its one version record replaced.
void WriteStampedProgram(const QString& path, const QString& version);

// Stamps an existing program file with the given version, in place: every record of the
// version stamp in the file gets the four parts.
void StampProgram(const QString& path, const QString& version);

// Writes a program file without a version stamp (a shell script).
void WriteUnstampedProgram(const QString& path);
