#include "FileStreams.h"

#include "Errors.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace velt {
namespace {

// Long names leave room for our prefix and suffix within the file system's name limit.
constexpr std::size_t kMaxNameStem = 200;

[[noreturn]] void ThrowRead(const std::string& path, int error) {
    throw VeltError(ErrorKind::FileReadFailed, path + ": " + std::strerror(error), 0, 0, path);
}

std::string NameStem(const std::string& name) {
    if (name.size() <= kMaxNameStem) {
        return name;
    }
    std::size_t cut = kMaxNameStem;
    while (cut > 0 && (static_cast<unsigned char>(name[cut]) & 0xC0) == 0x80) {
        --cut; // never split a UTF-8 character
    }
    return name.substr(0, cut);
}

} // namespace

std::string DisplayPath(const std::filesystem::path& path) {
    return path.string();
}

SourceFile::SourceFile(const std::filesystem::path& path) : m_path(DisplayPath(path)) {
    m_fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (m_fd < 0) {
        ThrowRead(m_path, errno);
    }
    struct stat info {};
    if (::fstat(m_fd, &info) != 0) {
        const int error = errno;
        ::close(m_fd);
        ThrowRead(m_path, error);
    }
    if (!S_ISREG(info.st_mode)) {
        ::close(m_fd);
        ThrowRead(m_path, S_ISDIR(info.st_mode) ? EISDIR : EINVAL);
    }
    m_size = static_cast<std::uint64_t>(info.st_size);
    ::posix_fadvise(m_fd, 0, 0, POSIX_FADV_SEQUENTIAL);
}

SourceFile::~SourceFile() {
    ::close(m_fd);
}

std::size_t SourceFile::Read(std::span<std::uint8_t> buffer) {
    std::size_t filled = 0;
    while (filled < buffer.size()) {
        const ssize_t got = ::read(m_fd, buffer.data() + filled, buffer.size() - filled);
        if (got < 0) {
            if (errno == EINTR) {
                continue;
            }
            ThrowRead(m_path, errno);
        }
        if (got == 0) {
            break;
        }
        filled += static_cast<std::size_t>(got);
    }
    return filled;
}

ReplacingFile::ReplacingFile(std::filesystem::path destination) : m_destination(std::move(destination)) {
    const std::filesystem::path folder = m_destination.parent_path();
    const std::string stem = "." + NameStem(m_destination.filename().string()) + ".";
    for (int attempt = 0; m_fd < 0; ++attempt) {
        m_temporary = folder / (stem + std::to_string(::getpid()) + "-" + std::to_string(attempt) + ".part");
        m_fd = ::open(m_temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (m_fd < 0 && (errno != EEXIST || attempt == 1000)) {
            const int error = errno;
            m_temporary.clear();
            Fail(error);
        }
    }
    // A replaced file keeps its permissions.
    struct stat existing {};
    if (::stat(m_destination.c_str(), &existing) == 0 && S_ISREG(existing.st_mode)) {
        ::fchmod(m_fd, existing.st_mode & 07777);
    }
}

ReplacingFile::~ReplacingFile() {
    if (m_fd >= 0) {
        ::close(m_fd);
    }
    if (!m_temporary.empty()) {
        ::unlink(m_temporary.c_str());
    }
}

void ReplacingFile::Write(std::span<const std::uint8_t> bytes) {
    while (!bytes.empty()) {
        const ssize_t put = ::write(m_fd, bytes.data(), bytes.size());
        if (put < 0) {
            if (errno == EINTR) {
                continue;
            }
            Fail(errno);
        }
        bytes = bytes.subspan(static_cast<std::size_t>(put));
    }
}

void ReplacingFile::Commit() {
    const int fd = m_fd;
    m_fd = -1;
    if (::close(fd) != 0) {
        Fail(errno);
    }
    if (::rename(m_temporary.c_str(), m_destination.c_str()) != 0) {
        Fail(errno);
    }
    m_temporary.clear();
}

void ReplacingFile::Fail(int error) {
    const std::string path = DisplayPath(m_destination);
    const std::string why = path + ": " + std::strerror(error);
    switch (error) {
    case ENOENT:
    case ENOTDIR: {
        const std::string folder = DisplayPath(m_destination.parent_path());
        throw VeltError(ErrorKind::FolderMissing, why, 0, 0, folder.empty() ? "." : folder);
    }
    case ENOSPC:
    case EDQUOT:
    case EFBIG:
        throw VeltError(ErrorKind::DiskFull, why, 0, 0, path);
    default:
        throw VeltError(ErrorKind::FileWriteFailed, why, 0, 0, path);
    }
}

std::string ReadWholeFile(const std::filesystem::path& path, std::uint64_t limit) {
    SourceFile source(path);
    const auto tooLarge = [&] {
        const std::string shown = DisplayPath(path);
        return VeltError(ErrorKind::FileTooLarge, shown + ": too large", 0, 0, shown);
    };
    if (source.Size() > limit) {
        throw tooLarge();
    }
    std::string text;
    text.reserve(static_cast<std::size_t>(source.Size()));
    std::uint8_t chunk[65536];
    for (std::size_t got; (got = source.Read(chunk)) > 0;) {
        if (text.size() + got > limit) { // the file grew while we read it
            throw tooLarge();
        }
        text.append(reinterpret_cast<const char*>(chunk), got);
    }
    return text;
}

} // namespace velt
