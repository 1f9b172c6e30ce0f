#include "KeyFile.h"

#include "Errors.h"
#include "FileStreams.h"
#include "ProgressTicker.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

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

} // namespace

std::vector<std::uint8_t> ReadKeyBytes(const std::filesystem::path& file, std::size_t maxBytes,
                                       const std::string& name) {
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
    std::vector<std::uint8_t> bytes(maxBytes);
    std::size_t got = 0;
    // One read normally brings everything; the loop covers short reads and signals.
    while (got < maxBytes) {
        const ssize_t n = ::read(fd.Get(), bytes.data() + got, maxBytes - got);
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

void CheckRecordFrames(const std::vector<std::uint8_t>& bytes, int length, const std::string& name) {
    for (int p = 1; p <= length; ++p) {
        const std::size_t offset = static_cast<std::size_t>(p - 1) * kRecordSize;
        if (offset >= bytes.size()) {
            throw VeltError(ErrorKind::KeyTooShort, "key file too short at record " + std::to_string(p), p, 0,
                            name);
        }
        if (bytes.size() - offset < static_cast<std::size_t>(kRecordSize)) {
            throw VeltError(ErrorKind::KeyRecordTruncated, "key record " + std::to_string(p) + " truncated",
                            p, 0, name);
        }
        if (bytes[offset] != kLengthLow || bytes[offset + 1] != kLengthHigh) {
            throw VeltError(ErrorKind::KeyRecordBadLength,
                            "key record " + std::to_string(p) + " has a bad length field", p, 0, name);
        }
    }
}

int FirstNonPermutationRecord(const std::vector<std::uint8_t>& bytes) {
    const std::size_t records = bytes.size() / kRecordSize;
    for (std::size_t p = 0; p < records; ++p) {
        std::array<bool, kGridCells> seen{};
        const std::uint8_t* cells = bytes.data() + p * kRecordSize + 2;
        for (int k = 0; k < kGridCells; ++k) {
            if (seen[cells[k]]) {
                return static_cast<int>(p + 1);
            }
            seen[cells[k]] = true;
        }
    }
    return 0;
}

void LoadKeyFile(const std::filesystem::path& file, int length, KeyMaterial& key, IProgress& progress,
                 const std::string& name) {
    if (length > kKeyCapacity) {
        throw VeltError(ErrorKind::KeyTooLong, "key length " + std::to_string(length) + " above 10000",
                        kKeyCapacity + 1, 0, name);
    }
    const int count = length > 0 ? length : 0;
    const auto bytes = ReadKeyBytes(file, static_cast<std::size_t>(count) * kRecordSize, name);
    CheckRecordFrames(bytes, count, name);
    // A repeated code would decode two bytes alike: such a key must never be used.
    if (const int bad = FirstNonPermutationRecord(bytes); bad != 0) {
        throw VeltError(ErrorKind::KeyRecordNotPermutation,
                        "key record " + std::to_string(bad) + " does not hold every code once", bad, 0, name);
    }
    ProgressTicker ticker(progress, count);
    for (int p = 1; p <= count; ++p) {
        ticker.Tick(p);
        key.FillPosition(p, bytes.data() + static_cast<std::size_t>(p - 1) * kRecordSize + 2);
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
