#pragma once

#include <QString>
#include <vector>

// Records what the program makes durable with fsync(2) while it lives: this test program puts
// its own fsync in front of the C library's for every library it loads, so that a test sees
// which files and folders a write synced, and in which order. The calls go on to the real
// fsync.
class CSyncRecorder {
public:
    struct Sync {
        QString path; // what the descriptor named at the time
        bool folder = false;
    };

    CSyncRecorder();
    ~CSyncRecorder();
    CSyncRecorder(const CSyncRecorder&) = delete;
    CSyncRecorder& operator=(const CSyncRecorder&) = delete;

    std::vector<Sync> Syncs() const;
};
