#include "project/zip_sources.h"

#include "platform/paths.h"

#include <QDateTime>
#include <QStringList>
#include <algorithm>
#include <cerrno>
#include <unistd.h>
#include <vector>
#include <zlib.h>

namespace zip_sources {

namespace {

// zlib's fastest level: packing must cost little more than storing (see IsWorthDeflating).
constexpr int kDeflateLevel = 1;
constexpr size_t kInputBytes = 1 << 16;
// Files up to this size are deflated without a sample: the sample would be the file.
constexpr qint64 kSmallFileBytes = 64 * 1024;
// The sample: slices spread over the file, from its start to its end.
constexpr int kSampleSlices = 4;
constexpr size_t kSliceBytes = 16 * 1024;

// Media that are already compressed gain nothing from deflating.
bool IsCompressedMedia(const QString& suffix)
{
    static const QStringList kStoredSuffixes = { QStringLiteral("jpg"), QStringLiteral("jpeg"),
        QStringLiteral("png"), QStringLiteral("mp4"), QStringLiteral("mov"), QStringLiteral("mp3") };
    return kStoredSuffixes.contains(suffix, Qt::CaseInsensitive);
}

ssize_t ReadSome(int fd, void* data, size_t length)
{
    ssize_t got = 0;
    do
        got = ::read(fd, data, length);
    while (got < 0 && errno == EINTR);
    return got;
}

} // namespace

struct CDeflater::State {
    z_stream stream {};
    bool ready = false;
    std::vector<unsigned char> input = std::vector<unsigned char>(kInputBytes);

    // A raw deflate stream (the zip entry's own format) at the start of its data.
    bool Restart()
    {
        if (ready)
            return deflateReset(&stream) == Z_OK;
        ready = deflateInit2(&stream, kDeflateLevel, Z_DEFLATED, -MAX_WBITS, 8, Z_DEFAULT_STRATEGY) == Z_OK;
        return ready;
    }
};

CDeflater::CDeflater()
    : m_state(std::make_unique<State>())
{
}

CDeflater::~CDeflater()
{
    if (m_state->ready)
        deflateEnd(&m_state->stream);
}

// ---- The sink ----------------------------------------------------------------------------------

CDeviceZipSink::CDeviceZipSink(QIODevice& device)
    : m_device(device)
{
    zip_error_init(&m_error);
}

CDeviceZipSink::~CDeviceZipSink()
{
    zip_error_fini(&m_error);
}

zip_int64_t CDeviceZipSink::Callback(void* state, void* data, zip_uint64_t length, zip_source_cmd_t command)
{
    return static_cast<CDeviceZipSink*>(state)->Handle(data, length, command);
}

zip_int64_t CDeviceZipSink::Fail(int code, int systemCode)
{
    zip_error_set(&m_error, code, systemCode);
    return -1;
}

zip_int64_t CDeviceZipSink::Handle(void* data, zip_uint64_t length, zip_source_cmd_t command)
{
    switch (command) {
    case ZIP_SOURCE_SUPPORTS:
        return zip_source_make_command_bitmap(ZIP_SOURCE_OPEN, ZIP_SOURCE_READ, ZIP_SOURCE_CLOSE,
            ZIP_SOURCE_STAT, ZIP_SOURCE_ERROR, ZIP_SOURCE_FREE, ZIP_SOURCE_SEEK, ZIP_SOURCE_TELL,
            ZIP_SOURCE_SUPPORTS, ZIP_SOURCE_BEGIN_WRITE, ZIP_SOURCE_COMMIT_WRITE, ZIP_SOURCE_ROLLBACK_WRITE,
            ZIP_SOURCE_WRITE, ZIP_SOURCE_SEEK_WRITE, ZIP_SOURCE_TELL_WRITE, ZIP_SOURCE_REMOVE, -1);
    case ZIP_SOURCE_STAT:
        // There is no archive yet (libzip takes a read error "no such file" as that): a new one
        // is written.
        return Fail(ZIP_ER_READ, ENOENT);
    case ZIP_SOURCE_ERROR:
        return zip_error_to_data(&m_error, data, length);
    case ZIP_SOURCE_OPEN:
    case ZIP_SOURCE_CLOSE:
    case ZIP_SOURCE_FREE:
    case ZIP_SOURCE_READ:
    case ZIP_SOURCE_SEEK:
    case ZIP_SOURCE_TELL:
    case ZIP_SOURCE_BEGIN_WRITE:
    case ZIP_SOURCE_COMMIT_WRITE:
    case ZIP_SOURCE_ROLLBACK_WRITE:
    case ZIP_SOURCE_REMOVE:
        return 0;
    case ZIP_SOURCE_WRITE:
        return m_device.write(static_cast<const char*>(data), qint64(length)) == qint64(length)
            ? zip_int64_t(length)
            : Fail(ZIP_ER_WRITE);
    case ZIP_SOURCE_SEEK_WRITE: {
        const auto* seek = ZIP_SOURCE_GET_ARGS(zip_source_args_seek_t, data, length, &m_error);
        if (!seek)
            return -1;
        const qint64 base = seek->whence == SEEK_CUR ? m_device.pos()
            : seek->whence == SEEK_END               ? m_device.size()
                                                     : 0;
        const qint64 offset = base + seek->offset;
        return offset >= 0 && m_device.seek(offset) ? 0 : Fail(ZIP_ER_SEEK);
    }
    case ZIP_SOURCE_TELL_WRITE:
        return m_device.pos();
    default:
        return Fail(ZIP_ER_OPNOTSUPP);
    }
}

// ---- Choosing the method -----------------------------------------------------------------------

bool IsWorthDeflating(const QFileInfo& file, CDeflater& deflater)
{
    const qint64 size = file.size();
    const QString suffix = file.suffix();
    if (size == 0 || IsCompressedMedia(suffix))
        return false;
    if (size <= kSmallFileBytes || suffix.compare(QStringLiteral("xml"), Qt::CaseInsensitive) == 0)
        return true;
    const int fd = platform::OpenRegularFileForReading(file.absoluteFilePath());
    CDeflater::State& state = deflater.Get();
    if (fd < 0 || !state.Restart()) {
        if (fd >= 0)
            ::close(fd);
        return false;
    }
    z_stream& stream = state.stream;
    unsigned char output[kSliceBytes];
    uLong sampled = 0;
    bool complete = true;
    for (int slice = 0; slice < kSampleSlices && complete; ++slice) {
        const off_t offset = off_t((size - qint64(kSliceBytes)) * slice / (kSampleSlices - 1));
        const ssize_t got = ::pread(fd, state.input.data(), kSliceBytes, offset);
        complete = got > 0;
        if (!complete)
            break;
        sampled += uLong(got);
        stream.next_in = state.input.data();
        stream.avail_in = uInt(got);
        const int flush = slice + 1 == kSampleSlices ? Z_FINISH : Z_NO_FLUSH;
        int result = Z_OK;
        do {
            stream.next_out = output;
            stream.avail_out = sizeof output;
            result = deflate(&stream, flush);
        } while (result == Z_OK && (stream.avail_in > 0 || flush == Z_FINISH));
        complete = result == Z_OK || result == Z_BUF_ERROR || result == Z_STREAM_END;
    }
    ::close(fd);
    return complete && stream.total_out * 2 <= sampled;
}

// ---- The sources --------------------------------------------------------------------------------

class CFileSource {
public:
    CFileSource(const QFileInfo& file, CDeflater* deflater)
        : m_path(file.absoluteFilePath())
        , m_size(zip_uint64_t(file.size()))
        , m_modified(time_t(file.lastModified().toSecsSinceEpoch()))
        , m_deflater(deflater ? &deflater->Get() : nullptr)
    {
        zip_error_init(&m_error);
    }
    ~CFileSource()
    {
        Close();
        zip_error_fini(&m_error);
    }
    CFileSource(const CFileSource&) = delete;
    CFileSource& operator=(const CFileSource&) = delete;

    static zip_int64_t Callback(void* state, void* data, zip_uint64_t length, zip_source_cmd_t command)
    {
        auto* self = static_cast<CFileSource*>(state);
        const zip_int64_t result = self->Handle(data, length, command);
        if (command == ZIP_SOURCE_FREE)
            delete self;
        return result;
    }

private:
    zip_int64_t Fail(int code, int systemCode = 0)
    {
        zip_error_set(&m_error, code, systemCode);
        return -1;
    }

    void Close()
    {
        if (m_fd >= 0)
            ::close(m_fd);
        m_fd = -1;
    }

    zip_int64_t Open()
    {
        Close();
        m_fd = platform::OpenRegularFileForReading(m_path);
        if (m_fd < 0)
            return Fail(ZIP_ER_OPEN, errno);
        m_read = 0;
        m_crc = crc32(0, nullptr, 0);
        m_finished = false;
        if (m_deflater) {
            if (!m_deflater->Restart())
                return Fail(ZIP_ER_ZLIB);
            m_deflater->stream.avail_in = 0;
        }
        return 0;
    }

    // The next bytes of the deflated file; its checksum and size are counted on the way.
    zip_int64_t ReadDeflated(unsigned char* data, zip_uint64_t length)
    {
        z_stream& stream = m_deflater->stream;
        stream.next_out = data;
        stream.avail_out = uInt(std::min<zip_uint64_t>(length, UINT32_MAX));
        const uInt asked = stream.avail_out;
        while (stream.avail_out > 0 && !m_finished) {
            if (stream.avail_in == 0 && !m_endOfFile) {
                const ssize_t got = ReadSome(m_fd, m_deflater->input.data(), m_deflater->input.size());
                if (got < 0)
                    return Fail(ZIP_ER_READ, errno);
                m_endOfFile = got == 0;
                m_crc = crc32(m_crc, m_deflater->input.data(), uInt(got));
                m_read += zip_uint64_t(got);
                stream.next_in = m_deflater->input.data();
                stream.avail_in = uInt(got);
            }
            const int result = deflate(&stream, m_endOfFile ? Z_FINISH : Z_NO_FLUSH);
            if (result == Z_STREAM_END)
                m_finished = true;
            else if (result != Z_OK && result != Z_BUF_ERROR)
                return Fail(ZIP_ER_ZLIB);
        }
        return zip_int64_t(asked - stream.avail_out);
    }

    zip_int64_t Handle(void* data, zip_uint64_t length, zip_source_cmd_t command)
    {
        switch (command) {
        case ZIP_SOURCE_SUPPORTS:
            return zip_source_make_command_bitmap(ZIP_SOURCE_OPEN, ZIP_SOURCE_READ, ZIP_SOURCE_CLOSE,
                ZIP_SOURCE_STAT, ZIP_SOURCE_ERROR, ZIP_SOURCE_FREE, ZIP_SOURCE_SUPPORTS, -1);
        case ZIP_SOURCE_OPEN:
            m_endOfFile = false;
            return Open();
        case ZIP_SOURCE_READ: {
            if (m_deflater)
                return ReadDeflated(static_cast<unsigned char*>(data), length);
            const ssize_t got = ReadSome(m_fd, data, size_t(std::min<zip_uint64_t>(length, SSIZE_MAX)));
            return got < 0 ? Fail(ZIP_ER_READ, errno) : zip_int64_t(got);
        }
        case ZIP_SOURCE_CLOSE:
            Close();
            return 0;
        case ZIP_SOURCE_STAT: {
            auto* stat = ZIP_SOURCE_GET_ARGS(zip_stat_t, data, length, &m_error);
            if (!stat)
                return -1;
            zip_stat_init(stat);
            stat->size = m_size;
            stat->mtime = m_modified;
            stat->valid |= ZIP_STAT_SIZE | ZIP_STAT_MTIME;
            if (m_deflater) {
                // Deflated data, copied by libzip as it is; once read whole, with its checksum
                // and its size as read.
                stat->comp_method = ZIP_CM_DEFLATE;
                stat->valid |= ZIP_STAT_COMP_METHOD;
                if (m_finished) {
                    stat->size = m_read;
                    stat->crc = m_crc;
                    stat->valid |= ZIP_STAT_CRC;
                }
            }
            return sizeof(zip_stat_t);
        }
        case ZIP_SOURCE_ERROR:
            return zip_error_to_data(&m_error, data, length);
        case ZIP_SOURCE_FREE:
            return 0;
        default:
            return Fail(ZIP_ER_OPNOTSUPP);
        }
    }

    QString m_path;
    zip_uint64_t m_size;
    time_t m_modified;
    CDeflater::State* m_deflater;
    int m_fd = -1;
    bool m_endOfFile = false;
    bool m_finished = false;
    zip_uint64_t m_read = 0;
    uLong m_crc = 0;
    zip_error_t m_error;
};

zip_source_t* CreateFileSource(zip_t* archive, const QFileInfo& file, CDeflater* deflater)
{
    auto* state = new CFileSource(file, deflater);
    zip_source_t* source = zip_source_function(archive, &CFileSource::Callback, state);
    if (!source)
        delete state;
    return source;
}

} // namespace zip_sources
