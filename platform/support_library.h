#pragma once

#include <QFunctionPointer>
#include <QString>

namespace platform {

// Opens one of the programs' own libraries by its path and finds its entry function (the stand-in
// for LoadLibrary and GetProcAddress). Only a regular file is opened: the loader would wait for
// good on a pipe planted under the library's name. The library is never unloaded, since what it
// made (threads, objects) may outlive every caller. Null when the entry cannot be had, with the
// reason in `errorText`.
QFunctionPointer OpenLibraryEntry(const QString& path, const char* entryName, QString& errorText);

} // namespace platform
