#include "FileStreams.h"

#include "Errors.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>

namespace velt {
namespace {

// Long names leave room for our prefix and suffix within the file system's name limit.
constexpr std::size_t kMaxNameStem = 200;

[[noreturn]] void ThrowRead(const std::string& path, int error) {
    VeltError failure(ErrorKind::FileReadFailed, path + ": " + std::strerror(error), 0, 0, path);
    failure.systemError = error;
    throw failure;
}

[[noreturn]] void Throw(ErrorKind kind, const std::string& why, const std::string& path, int error) {
    VeltError failure(kind, why, 0, 0, path);
    failure.systemError = error;
    throw failure;
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
    const std::string name = path.string();
    const bool plain = std::none_of(name.begin(), name.end(), [](char c) {
        return static_cast<unsigned char>(c) < 0x20 || c == 0x7F;
    });
    if (plain) {
        return name;
    }
    // A line break or an escape sequence in a name must not bend the message around it.
    std::string quoted = "'";
    for (const char c : name) {
        const auto code = static_cast<unsigned char>(c);
        if (c == '\n') {
            quoted += "\\n";
        } else if (c == '\r') {
            quoted += "\\r";
        } else if (c == '\t') {
            quoted += "\\t";
        } else if (code < 0x20 || code == 0x7F) {
            char escape[8];
            std::snprintf(escape, sizeof escape, "\\x%02X", code);
            quoted += escape;
        } else if (c == '\'' || c == '\\') {
            quoted += '\\';
            quoted += c;
        } else {
            quoted += c;
        }
    }
    return quoted + "'";
}

SourceFile::SourceFile(const std::filesystem::path& path) : m_path(DisplayPath(path)) {
    // Non-blocking, so a named pipe is refused below instead of waiting for a writer.
    m_fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
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
        throw VeltError(ErrorKind::NotRegularFile, m_path + ": not a regular file", 0, 0, m_path);
    }
    m_size = static_cast<std::uint64_t>(info.st_size);
    m_permissions = static_cast<std::filesystem::perms>(info.st_mode & 07777);
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

ReplacingFile::ReplacingFile(std::filesystem::path destination, std::optional<std::filesystem::perms> mode,
                             ITemporaryFiles* temporaries, TemporaryKind kind)
    : m_destination(std::move(destination)), m_mode(mode), m_temporaries(temporaries) {
    std::filesystem::path folder = m_destination.parent_path();
    if (folder.empty()) {
        folder = ".";
    }
#ifdef O_TMPFILE
    if (kind == TemporaryKind::Unnamed) {
        m_fd = ::open(folder.c_str(), O_TMPFILE | O_WRONLY | O_CLOEXEC, 0600);
        if (m_fd >= 0) {
            return;
        }
        // Only a file system without unnamed files gets a named one.
        if (errno != EOPNOTSUPP && errno != EISDIR && errno != EINVAL) {
            Fail(errno);
        }
    }
#else
    static_cast<void>(kind);
#endif
    OpenNamed(folder);
}

void ReplacingFile::OpenNamed(const std::filesystem::path& folder) {
    const std::string stem = "." + NameStem(m_destination.filename().string()) + ".";
    for (int attempt = 0; m_fd < 0; ++attempt) {
        const auto name = folder / (stem + std::to_string(::getpid()) + "-" + std::to_string(attempt) + ".part");
        m_fd = ::open(name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
        if (m_fd >= 0) {
            Remember(name);
        } else if (errno != EEXIST || attempt == 1000) {
            Fail(errno);
        }
    }
}

void ReplacingFile::Remember(std::filesystem::path name) {
    m_temporary = std::move(name);
    if (m_temporaries != nullptr) {
        m_temporaries->Created(m_temporary.string());
    }
}

void ReplacingFile::Forget() {
    if (m_temporaries != nullptr) {
        m_temporaries->Gone();
    }
    m_temporary.clear();
}

ReplacingFile::~ReplacingFile() {
    if (m_fd >= 0) {
        ::close(m_fd);
    }
    if (!m_temporary.empty()) {
        ::unlink(m_temporary.c_str());
        Forget();
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

bool ReplacingFile::LinkUnnamed(const std::filesystem::path& name) {
    const std::string self = "/proc/self/fd/" + std::to_string(m_fd);
    if (::linkat(AT_FDCWD, self.c_str(), AT_FDCWD, name.c_str(), AT_SYMLINK_FOLLOW) == 0) {
        return true;
    }
    if (errno == ENOENT && ::access("/proc/self/fd", F_OK) != 0) {
        // No /proc: the direct way, which needs more privilege.
        if (::linkat(m_fd, "", AT_FDCWD, name.c_str(), AT_EMPTY_PATH) == 0) {
            return true;
        }
    }
    if (errno == EEXIST) {
        return false;
    }
    Fail(errno);
}

void ReplacingFile::Commit(CommitMode mode) {
    struct stat existing {};
    const bool replacing = ::stat(m_destination.c_str(), &existing) == 0 && S_ISREG(existing.st_mode);
    ::mode_t bits = 0;
    if (m_mode) {
        bits = static_cast<::mode_t>(*m_mode) & 07777;
    } else if (replacing) {
        bits = existing.st_mode & 07777;
    } else {
        const ::mode_t mask = ::umask(0); // read back at once; nothing creates files meanwhile
        ::umask(mask);
        bits = 0666 & ~mask;
    }
    ::fchmod(m_fd, bits); // a file system without permission bits keeps its own
    if (m_temporary.empty()) {
        if (mode == CommitMode::NoReplace) {
            if (!LinkUnnamed(m_destination)) {
                Fail(EEXIST);
            }
        } else {
            // A link cannot replace: give the file a hidden name beside, then rename it over.
            const std::string stem = "." + NameStem(m_destination.filename().string()) + ".";
            const auto folder = m_destination.parent_path();
            for (int attempt = 0;; ++attempt) {
                const auto name = folder / (stem + std::to_string(::getpid()) + "-" + std::to_string(attempt) + ".part");
                if (LinkUnnamed(name)) {
                    Remember(name);
                    break;
                }
                if (attempt == 1000) {
                    Fail(EEXIST);
                }
            }
        }
        const int fd = std::exchange(m_fd, -1);
        ::close(fd);
        if (m_temporary.empty()) {
            return;
        }
    } else {
        const int fd = std::exchange(m_fd, -1);
        if (::close(fd) != 0) {
            Fail(errno);
        }
    }
    int result = 0;
    if (mode == CommitMode::Replace) {
        result = ::rename(m_temporary.c_str(), m_destination.c_str());
    } else {
        result = ::renameat2(AT_FDCWD, m_temporary.c_str(), AT_FDCWD, m_destination.c_str(), RENAME_NOREPLACE);
        if (result != 0 && (errno == EINVAL || errno == ENOSYS)) {
            // No atomic no-replace rename here: a link fails just as well when the name is taken.
            result = ::link(m_temporary.c_str(), m_destination.c_str());
            if (result == 0) {
                ::unlink(m_temporary.c_str());
            }
        }
    }
    if (result != 0) {
        Fail(errno);
    }
    Forget();
}

void ReplacingFile::Fail(int error) {
    const std::string path = DisplayPath(m_destination);
    const std::string why = path + ": " + std::strerror(error);
    switch (error) {
    case ENOENT:
    case ENOTDIR: {
        const std::string folder = DisplayPath(m_destination.parent_path());
        Throw(ErrorKind::FolderMissing, why, folder.empty() ? "." : folder, error);
    }
    case EEXIST:
        Throw(ErrorKind::DestinationExists, why, path, error);
    case ENOSPC:
    case EDQUOT:
    case EFBIG:
        Throw(ErrorKind::DiskFull, why, path, error);
    default:
        Throw(ErrorKind::FileWriteFailed, why, path, error);
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
