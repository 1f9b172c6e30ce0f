#include "engine/KeyFile.h"

#include "engine/Errors.h"
#include "engine/FileStreams.h"
#include "engine/ProgressTicker.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>

namespace velt {
namespace {

constexpr std::uint8_t kLengthLow = kGridCells & 0xFF;
constexpr std::uint8_t kLengthHigh = kGridCells >> 8;

/// Closes a POSIX file descriptor on every path out.
class Descriptor final {
public:
    explicit Descriptor(int fd) : m_fd(fd) {}
    ~Descriptor() {
        if (m_fd >= 0) {
            ::close(m_fd);
        }
    }
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;
    int Get() const { return m_fd; }

private:
    int m_fd;
};

FileIdentity IdentityOf(const struct stat& info) {
    const auto nanoseconds = [](const struct timespec& t) {
        return static_cast<std::int64_t>(t.tv_sec) * 1'000'000'000 + t.tv_nsec;
    };
    return FileIdentity{static_cast<std::uint64_t>(info.st_dev), static_cast<std::uint64_t>(info.st_ino),
                        static_cast<std::int64_t>(info.st_size), nanoseconds(info.st_mtim),
                        nanoseconds(info.st_ctim)};
}

std::int64_t NowNanoseconds() {
    struct timespec now {};
    ::clock_gettime(CLOCK_REALTIME, &now);
    return static_cast<std::int64_t>(now.tv_sec) * 1'000'000'000 + now.tv_nsec;
}

} // namespace

std::vector<std::uint8_t> ReadKeyBytes(const std::filesystem::path& file, std::size_t maxBytes,
                                       const std::string& name, FileIdentity* identity) {
    const std::string path = file.string();
    // Non-blocking, so a named pipe is refused below instead of waiting for a writer.
    Descriptor fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK));
    if (fd.Get() < 0) {
        if (errno == ENOENT || errno == ENOTDIR) {
            throw VeltError(ErrorKind::KeyFileMissing, "key file missing: " + path, 0, 0, name);
        }
        VeltError failure(ErrorKind::KeyFileUnreadable, "key file unreadable: " + path, 0, 0, name);
        failure.systemError = errno;
        throw failure;
    }
    // A pipe's length is unknown until it ends, and the key length is the file's size.
    struct stat info {};
    if (::fstat(fd.Get(), &info) != 0 || !S_ISREG(info.st_mode)) {
        throw VeltError(ErrorKind::NotRegularFile, "key file not a regular file: " + path, 0, 0, name);
    }
    if (identity != nullptr) {
        *identity = IdentityOf(info);
    }
    // Sized by the file, not by the limit: a run over many files loads the key once per file.
    std::vector<std::uint8_t> bytes(
        std::min(maxBytes, static_cast<std::size_t>(std::max<::off_t>(info.st_size, 0)) + 1));
    std::size_t got = 0;
    // One read normally brings everything; the loop covers short reads, signals and a file that grew.
    while (got < maxBytes) {
        if (got == bytes.size()) {
            bytes.resize(std::min(maxBytes, 2 * bytes.size()));
        }
        const ssize_t n = ::read(fd.Get(), bytes.data() + got, bytes.size() - got);
        if (n == 0) {
            break;
        }
        if (n < 0) {
            if (errno == EINTR) {
                continue;
            }
            VeltError failure(ErrorKind::KeyFileUnreadable, "key file unreadable: " + path, 0, 0, name);
            failure.systemError = errno;
            throw failure;
        }
        got += static_cast<std::size_t>(n);
    }
    bytes.resize(got);
    return bytes;
}

namespace {

/// The first fault of record p (1-based) of `bytes`, thrown.
void CheckRecord(const std::vector<std::uint8_t>& bytes, int p, const std::string& name) {
    const std::size_t offset = static_cast<std::size_t>(p - 1) * kRecordSize;
    const std::string record = "key record " + std::to_string(p);
    if (bytes.size() - offset < static_cast<std::size_t>(kRecordSize)) {
        throw VeltError(ErrorKind::KeyRecordTruncated, record + " truncated", p, 0, name);
    }
    if (bytes[offset] != kLengthLow || bytes[offset + 1] != kLengthHigh) {
        throw VeltError(ErrorKind::KeyRecordBadLength, record + " has a bad length field", p, 0, name);
    }
    // A repeated code would decode two bytes alike: such a key must never be used.
    std::array<bool, kGridCells> seen{};
    for (std::size_t k = offset + 2; k < offset + kRecordSize; ++k) {
        if (std::exchange(seen[bytes[k]], true)) {
            throw VeltError(ErrorKind::KeyRecordNotPermutation, record + " does not hold every code once", p, 0,
                            name);
        }
    }
}

} // namespace

namespace {

constexpr std::size_t kLargestKey = static_cast<std::size_t>(kKeyCapacity) * kRecordSize;

std::vector<std::uint8_t> ReadKeyFileBytes(const std::filesystem::path& file, const std::string& name,
                                           FileIdentity* identity = nullptr) {
    // One byte more than the largest key tells a file that is too long without reading all of it.
    return ReadKeyBytes(file, kLargestKey + 1, name, identity);
}

WholeKey CheckWholeKey(std::vector<std::uint8_t> bytes, const std::string& name) {
    WholeKey key{std::move(bytes), 0};
    if (key.bytes.empty()) {
        throw VeltError(ErrorKind::KeyFileEmpty, "key file empty", 0, 0, name);
    }
    if (key.bytes.size() > kLargestKey) {
        throw VeltError(ErrorKind::KeyTooLong, "key file above " + std::to_string(kKeyCapacity) + " records",
                        kKeyCapacity + 1, 0, name);
    }
    key.records = static_cast<int>((key.bytes.size() + kRecordSize - 1) / kRecordSize);
    for (int p = 1; p <= key.records; ++p) {
        CheckRecord(key.bytes, p, name);
    }
    if (key.records < kMinKeyLength) {
        throw VeltError(ErrorKind::KeyOutOfRange,
                        "key file below " + std::to_string(kMinKeyLength) + " records", key.records, 0, name);
    }
    return key;
}

} // namespace

WholeKey ReadWholeKey(const std::filesystem::path& file, const std::string& name) {
    return CheckWholeKey(ReadKeyFileBytes(file, name), name);
}

void LoadKeyFile(const std::filesystem::path& file, int length, KeyMaterial& key, IProgress& progress,
                 const std::string& name, LoadedKey* loaded) {
    if (length > kKeyCapacity) {
        throw VeltError(ErrorKind::KeyTooLong,
                        "key length " + std::to_string(length) + " above " + std::to_string(kKeyCapacity),
                        kKeyCapacity + 1, 0, name);
    }
    if (loaded != nullptr && loaded->length == length && loaded->settled) {
        struct stat info {};
        if (::stat(file.c_str(), &info) == 0 && S_ISREG(info.st_mode) && IdentityOf(info) == loaded->identity) {
            return; // not written to nor replaced since the tables were filled from it
        }
    }
    const std::int64_t readAt = NowNanoseconds();
    FileIdentity identity;
    std::vector<std::uint8_t> bytes = ReadKeyFileBytes(file, name, &identity);
    if (loaded != nullptr) {
        loaded->settled = false; // until the tables and the identity agree again
    }
    const auto remember = [&] {
        loaded->identity = identity;
        loaded->settled = readAt - identity.changed >= loaded->settle;
    };
    if (loaded != nullptr && loaded->length == length && loaded->bytes == bytes) {
        remember();
        return; // the tables hold this very key already
    }
    const WholeKey whole = CheckWholeKey(std::move(bytes), name);
    if (length > whole.records) {
        throw VeltError(ErrorKind::KeyTooShort, "key file too short at record " + std::to_string(whole.records + 1),
                        whole.records + 1, 0, name);
    }
    if (loaded != nullptr) {
        loaded->length = 0; // until the tables are whole again
    }
    ProgressTicker ticker(progress, length);
    for (int p = 1; p <= length; ++p) {
        ticker.Tick(p);
        key.FillPosition(p, whole.bytes.data() + static_cast<std::size_t>(p - 1) * kRecordSize + 2);
    }
    if (loaded != nullptr) {
        loaded->bytes = whole.bytes;
        loaded->length = length;
        remember();
    }
}

KeyFileWriter::KeyFileWriter(std::filesystem::path file, ITemporaryFiles* temporaries)
    : m_file(std::move(file)), m_temporaries(temporaries) {}

void KeyFileWriter::WriteKeyRecord(int position, const KeyRecord& record) {
    if (position < 1) {
        throw VeltError(ErrorKind::KeyWriteFailed, "key record number below 1", position, 0,
                        m_file.filename().string());
    }
    const std::size_t offset = static_cast<std::size_t>(position - 1) * kRecordSize;
    if (m_bytes.size() < offset + kRecordSize) {
        m_bytes.resize(offset + kRecordSize);
    }
    m_bytes[offset] = kLengthLow;
    m_bytes[offset + 1] = kLengthHigh;
    std::copy(record.begin(), record.end(), m_bytes.begin() + static_cast<std::ptrdiff_t>(offset + 2));
}

void KeyFileWriter::Commit(CommitMode mode) {
    try {
        ReplacingFile file(m_file, std::filesystem::perms::owner_read | std::filesystem::perms::owner_write,
                           m_temporaries);
        file.Write(m_bytes);
        file.Commit(mode);
    } catch (const VeltError& error) {
        if (error.kind == ErrorKind::DestinationExists) {
            throw;
        }
        VeltError failure(ErrorKind::KeyWriteFailed, std::string("cannot write key file: ") + error.what(), 0, 0,
                          m_file.filename().string());
        failure.systemError = error.systemError;
        throw failure;
    }
}

} // namespace velt
