#include "engine/FileStreams.h"

#include "engine/Errors.h"
#include "engine/Utf8.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
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

/// Fills `buffer` with what `readSome(at, count, done)` gives until it is full or the file ends.
template <class ReadSome>
std::size_t Fill(std::span<std::uint8_t> buffer, const std::string& path, ReadSome readSome) {
    std::size_t filled = 0;
    while (filled < buffer.size()) {
        const ssize_t got = readSome(buffer.data() + filled, buffer.size() - filled, filled);
        if (got < 0) {
            if (errno == EINTR) {
                continue;
            }
            ThrowRead(path, errno);
        }
        if (got == 0) {
            break;
        }
        filled += static_cast<std::size_t>(got);
    }
    return filled;
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
    return name.substr(0, utf8::CharacterStart(name, kMaxNameStem));
}

/// The hidden name that a temporary file of `destination` gets while it is written.
std::filesystem::path TemporaryName(const std::filesystem::path& destination, int attempt) {
    // Appended piece by piece: GCC 12 at -O3 warns falsely (-Wrestrict) on "literal" + std::string&&.
    std::string name = ".";
    name += NameStem(destination.filename().string());
    name += '.';
    name += std::to_string(::getpid());
    name += '-';
    name += std::to_string(attempt);
    name += kTemporarySuffix;
    return destination.parent_path() / name;
}

bool AllDigits(std::string_view text) {
    return !text.empty() && text.size() <= 9 &&
           std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

/// The process id in a name of exactly our temporary pattern (.NAME.PID-N.part), else 0.
::pid_t WriterOf(std::string_view name) {
    constexpr std::string_view suffix = kTemporarySuffix;
    if (name.size() <= suffix.size() + 1 || name.front() != '.' || !name.ends_with(suffix)) {
        return 0;
    }
    name.remove_suffix(suffix.size());
    const auto dash = name.rfind('-');
    if (dash == std::string_view::npos || !AllDigits(name.substr(dash + 1))) {
        return 0;
    }
    const auto dot = name.rfind('.', dash);
    if (dot == std::string_view::npos || dot < 2) { // ".X." at least: a name of one character or more
        return 0;
    }
    const auto pid = name.substr(dot + 1, dash - dot - 1);
    const auto attempt = name.substr(dash + 1);
    // Exactly as we write them: no leading zeros.
    if (!AllDigits(pid) || pid.front() == '0' || (attempt.size() > 1 && attempt.front() == '0')) {
        return 0;
    }
    return static_cast<::pid_t>(std::stol(std::string(pid)));
}

/// Flushes the folder's entries, so that a name just linked or renamed survives a power cut.
/// File systems that cannot flush a folder say so with EINVAL; that is no failure.
int SyncFolder(const std::filesystem::path& folder) {
    const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) {
        return errno;
    }
    int error = 0;
    if (::fsync(fd) != 0 && errno != EINVAL && errno != ENOTSUP) {
        error = errno;
    }
    ::close(fd);
    return error;
}

std::filesystem::path FolderOf(const std::filesystem::path& file) {
    return file.parent_path().empty() ? std::filesystem::path(".") : file.parent_path();
}

} // namespace

void RemoveStaleTemporaries(const std::filesystem::path& folder) {
    DIR* listing = ::opendir(folder.empty() ? "." : folder.c_str());
    if (listing == nullptr) {
        return; // the write that follows reports a missing folder
    }
    const int fd = ::dirfd(listing);
    while (const dirent* entry = ::readdir(listing)) {
        const ::pid_t writer = WriterOf(entry->d_name);
        // Only a process that is gone can no longer finish or remove its own file.
        if (writer <= 0 || writer == ::getpid() || ::kill(writer, 0) == 0 || errno != ESRCH) {
            continue;
        }
        struct stat info {};
        if (::fstatat(fd, entry->d_name, &info, AT_SYMLINK_NOFOLLOW) == 0 && S_ISREG(info.st_mode) &&
            info.st_uid == ::geteuid()) {
            ::unlinkat(fd, entry->d_name, 0);
        }
    }
    ::closedir(listing);
}

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
    if (m_size > kFileChunk) {
        ::posix_fadvise(m_fd, 0, 0, POSIX_FADV_SEQUENTIAL); // a file read in one go needs no read-ahead
    }
}

SourceFile::~SourceFile() {
    ::close(m_fd);
}

std::size_t SourceFile::Read(std::span<std::uint8_t> buffer) {
    return Fill(buffer, m_path, [this](std::uint8_t* at, std::size_t count, std::size_t) {
        return ::read(m_fd, at, count);
    });
}

std::size_t SourceFile::ReadAt(std::uint64_t offset, std::span<std::uint8_t> buffer) {
    return Fill(buffer, m_path, [this, offset](std::uint8_t* at, std::size_t count, std::size_t done) {
        return ::pread(m_fd, at, count, static_cast<::off_t>(offset + done));
    });
}

ReplacingFile::ReplacingFile(std::filesystem::path destination, std::optional<std::filesystem::perms> mode,
                             ITemporaryFiles* temporaries, TemporaryKind kind, StaleSweep sweep)
    : m_destination(std::move(destination)), m_mode(mode), m_temporaries(temporaries) {
    std::filesystem::path folder = m_destination.parent_path();
    if (folder.empty()) {
        folder = ".";
    }
    if (sweep == StaleSweep::Sweep) {
        RemoveStaleTemporaries(folder);
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
    for (int attempt = 0; m_fd < 0; ++attempt) {
        const auto name = folder / TemporaryName(m_destination, attempt).filename();
        // Told before the file exists, so that a signal at any moment finds its name to remove;
        // the name holds our process id, so it can only be ours or a dead process's.
        Remember(name);
        m_fd = ::open(name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
        if (m_fd < 0) {
            const int error = errno;
            Forget();
            if (error != EEXIST || attempt == 1000) {
                Fail(error);
            }
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
        Written(static_cast<std::size_t>(put));
    }
}

void ReplacingFile::WriteAt(std::uint64_t offset, std::span<const std::uint8_t> bytes) {
    while (!bytes.empty()) {
        const ssize_t put = ::pwrite(m_fd, bytes.data(), bytes.size(), static_cast<::off_t>(offset));
        if (put < 0) {
            if (errno == EINTR) {
                continue;
            }
            Fail(errno);
        }
        bytes = bytes.subspan(static_cast<std::size_t>(put));
        offset += static_cast<std::uint64_t>(put);
        Written(static_cast<std::size_t>(put));
    }
}

void ReplacingFile::Written(std::size_t bytes) {
    // The disk writes while we go on coding, instead of all at once in the flush before the
    // commit. Only a hint: the flush still waits for every byte and reports any failure.
    constexpr std::uint64_t kWriteback = std::uint64_t{8} << 20;
    if (m_unsent.fetch_add(bytes, std::memory_order_relaxed) + bytes >= kWriteback &&
        m_unsent.exchange(0, std::memory_order_relaxed) >= kWriteback) {
        ::sync_file_range(m_fd, 0, 0, SYNC_FILE_RANGE_WRITE);
    }
}

bool ReplacingFile::LinkUnnamed(const std::filesystem::path& name) {
    std::string self = "/proc/self/fd/";
    self += std::to_string(m_fd);
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
    FlushData();
    const ::mode_t bits = Place(mode);
    SetBits(bits, Durably::Now);
    Close();
    SyncItsFolder();
}

void ReplacingFile::FlushData() {
    // The data reaches the disk before any name points at it: after a power cut the name holds
    // the old file or the whole new one, never an empty or partial one.
    if (::fsync(m_fd) != 0) {
        Fail(errno);
    }
}

::mode_t ReplacingFile::Place(CommitMode mode) {
    struct stat existing {};
    // Permission bits only: a restored file must never come back setuid, setgid or sticky.
    ::mode_t bits = 0;
    if (m_mode) {
        bits = static_cast<::mode_t>(*m_mode) & 0777;
    } else if (::stat(m_destination.c_str(), &existing) == 0 && S_ISREG(existing.st_mode)) {
        bits = existing.st_mode & 0777; // the file it replaces keeps its bits
    } else {
        const ::mode_t mask = ::umask(0); // read back at once; nothing creates files meanwhile
        ::umask(mask);
        bits = 0666 & ~mask;
    }
    if (m_temporary.empty()) {
        if (mode == CommitMode::NoReplace) {
            if (!LinkUnnamed(m_destination)) {
                Fail(EEXIST);
            }
        } else {
            // A link cannot replace: give the file a hidden name beside (still 0600), then rename it over.
            for (int attempt = 0;; ++attempt) {
                const auto name = TemporaryName(m_destination, attempt);
                Remember(name); // before the name exists, as in OpenNamed()
                if (LinkUnnamed(name)) {
                    break;
                }
                Forget();
                if (attempt == 1000) {
                    Fail(EEXIST);
                }
            }
        }
    }
    if (!m_temporary.empty()) {
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
    return bits;
}

void ReplacingFile::SyncItsFolder() {
    if (const int error = SyncFolder(FolderOf(m_destination)); error != 0) {
        Fail(error);
    }
}

void ReplacingFile::Close() {
    if (::close(std::exchange(m_fd, -1)) != 0) {
        Fail(errno);
    }
}

bool ReplacingFile::SetBits(::mode_t bits, Durably durably) {
    // Only in its final place may the file become readable by others.
    if (bits == 0600 || ::fchmod(m_fd, bits) != 0) {
        return false; // a file system without permission bits keeps its own
    }
    if (durably == Durably::Now && ::fsync(m_fd) != 0) {
        Fail(errno);
    }
    return true;
}

void CommitGroup::Add(std::unique_ptr<ReplacingFile> file, CommitMode mode) {
    if (!file->TemporaryPath().empty()) {
        file->Commit(mode);
        return;
    }
    // The file's size, not its offset: a restored file is written in pieces where they belong.
    struct stat info {};
    const bool known = ::fstat(file->m_fd, &info) == 0;
    m_bytes += known && info.st_size > 0 ? static_cast<std::uint64_t>(info.st_size) : 0;
    std::string name = NameOf(file->Destination());
    m_names.insert(name);
    m_members.push_back({std::move(file), mode, std::move(name), known, info.st_dev});
}

bool CommitGroup::Holds(const std::filesystem::path& destination) const {
    return m_names.contains(NameOf(destination));
}

std::string CommitGroup::NameOf(const std::filesystem::path& destination) const {
    const std::filesystem::path whole = destination.is_absolute() || m_workingFolder.empty()
                                            ? std::filesystem::absolute(destination)
                                            : m_workingFolder / destination;
    return whole.lexically_normal().string();
}

std::filesystem::path CommitGroup::WorkingFolder() {
    std::error_code error;
    std::filesystem::path folder = std::filesystem::current_path(error);
    return error ? std::filesystem::path() : folder;
}

std::vector<char> CommitGroup::SyncFileSystems() const {
    std::vector<char> flushed(m_members.size());
    std::vector<std::pair<::dev_t, bool>> devices;
    for (std::size_t i = 0; i < m_members.size(); ++i) {
        const Member& member = m_members[i];
        const ReplacingFile* file = member.file.get();
        if (file == nullptr || !member.deviceKnown) {
            continue;
        }
        auto known = std::find_if(devices.begin(), devices.end(),
                                  [&](const auto& d) { return d.first == member.device; });
        if (known == devices.end()) {
            devices.emplace_back(member.device, ::syncfs(file->m_fd) == 0);
            known = devices.end() - 1;
        }
        flushed[i] = known->second ? 1 : 0;
    }
    return flushed;
}

std::vector<std::optional<VeltError>> CommitGroup::Commit() {
    std::vector<std::optional<VeltError>> results(m_members.size());
    // Runs `step` on every member still standing; a member that fails is dropped, unplaced
    // unless its name is already in place.
    const auto each = [&](auto step) {
        for (std::size_t i = 0; i < m_members.size(); ++i) {
            if (m_members[i].file) {
                try {
                    step(i, *m_members[i].file);
                } catch (const VeltError& failure) {
                    results[i] = failure;
                    m_members[i].file.reset();
                }
            }
        }
    };
    // One flush of each file system for all the data, before any name: a flush per file costs
    // the disk's cache a flush each. Where that fails, each file on its own says what failed.
    const std::vector<char> allFlushed = SyncFileSystems();
    each([&](std::size_t i, ReplacingFile& file) {
        if (allFlushed[i] == 0) {
            file.FlushData();
        }
    });
    std::vector<::mode_t> bits(m_members.size());
    each([&](std::size_t i, ReplacingFile& file) { bits[i] = file.Place(m_members[i].mode); });
    std::vector<char> changed(m_members.size());
    each([&](std::size_t i, ReplacingFile& file) {
        changed[i] = file.SetBits(bits[i], ReplacingFile::Durably::Later) ? 1 : 0;
    });
    // Again for the names and the bits; else one flush per folder and per file whose bits changed.
    const std::vector<char> allPlaced = SyncFileSystems();
    std::vector<std::filesystem::path> synced;
    each([&](std::size_t i, ReplacingFile& file) {
        const auto folder = m_members[i].name.parent_path();
        if (allPlaced[i] != 0 || std::find(synced.begin(), synced.end(), folder) != synced.end()) {
            return;
        }
        synced.push_back(folder);
        try {
            file.SyncItsFolder();
        } catch (const VeltError& failure) {
            for (std::size_t j = i; j < m_members.size(); ++j) {
                if (m_members[j].file && m_members[j].name.parent_path() == folder) {
                    results[j] = failure;
                    m_members[j].file.reset();
                }
            }
        }
    });
    each([&](std::size_t i, ReplacingFile& file) {
        if (changed[i] != 0 && allPlaced[i] == 0) {
            file.FlushData();
        }
        file.Close();
    });
    m_members.clear();
    m_names.clear();
    m_bytes = 0;
    return results;
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
