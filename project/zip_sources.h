#pragma once

#include <QFileInfo>
#include <QIODevice>
#include <memory>
#include <zip.h>

// What CZipFile hands libzip when it writes an archive: the sink that takes the archive's bytes,
// and one source per packed file.
namespace zip_sources {

// Lets libzip write a new archive into a device: the temporary file of an atomic write, which
// is committed (synced and renamed over the target) only when the archive is complete.
class CDeviceZipSink {
public:
    explicit CDeviceZipSink(QIODevice& device);
    ~CDeviceZipSink();
    CDeviceZipSink(const CDeviceZipSink&) = delete;
    CDeviceZipSink& operator=(const CDeviceZipSink&) = delete;

    static zip_int64_t Callback(void* state, void* data, zip_uint64_t length, zip_source_cmd_t command);

private:
    zip_int64_t Fail(int code, int systemCode = 0);
    zip_int64_t Handle(void* data, zip_uint64_t length, zip_source_cmd_t command);

    QIODevice& m_device;
    zip_error_t m_error;
};

// Deflates the files of one archive, one after the other, at zlib's fastest level. Its
// compressor and buffers are made once and kept from one file to the next: made anew for each
// entry, their memory went back to the system and was faulted in again every time.
class CDeflater {
public:
    CDeflater();
    ~CDeflater();
    CDeflater(const CDeflater&) = delete;
    CDeflater& operator=(const CDeflater&) = delete;

    struct State;
    State& Get() { return *m_state; }

private:
    std::unique_ptr<State> m_state;
};

// Whether the file's entry is worth deflating: text and small files are; media that are
// compressed already (by their extension), and files of which a sample does not deflate to half
// its size or less, are stored. Stored entries cost no more than the copy itself, and what
// deflates that well deflates quickly, so packing media of any kind costs little more than
// storing them.
bool IsWorthDeflating(const QFileInfo& file, CDeflater& deflater);

// A libzip source of the regular file, opened only when libzip reads it and only when it is
// still a regular file then (a pipe or device put in its place is neither waited on nor read).
// With a deflater, libzip receives the file deflated, with its checksum and size, and copies
// it as it is; without one it receives the bytes to store. Null when libzip refuses it.
zip_source_t* CreateFileSource(zip_t* archive, const QFileInfo& file, CDeflater* deflater);

} // namespace zip_sources
