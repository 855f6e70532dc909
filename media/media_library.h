#pragma once

#include <QString>

class CMediaSupport;

// The media support: a library of ours that links FFmpeg, kept out of the editor's start (FFmpeg's
// codecs pull in about a hundred further libraries) and opened the first time a movie or sound is
// opened. It lies beside the programs' own files, in the build tree as in an installation. Once
// loaded it stays loaded: the movies it opened run its code until they are closed.
class CMediaLibrary {
public:
    static constexpr const char* kFileName = "libkaleidra_media.so";

    // The library beside the running program, opened on the first call from any thread. When it
    // cannot be loaded the reason is logged once, and every movie and sound fails to open.
    static const CMediaLibrary& Shared();

    // Opens the library at the path now; a failure is logged.
    explicit CMediaLibrary(const QString& path);

    bool IsLoaded() const { return m_support != nullptr; }
    // Why the library could not be loaded; empty when it was.
    const QString& ErrorText() const { return m_errorText; }
    // The library's media access; null when it is not loaded.
    const CMediaSupport* Support() const { return m_support; }

private:
    const CMediaSupport* m_support = nullptr;
    QString m_errorText;
};
