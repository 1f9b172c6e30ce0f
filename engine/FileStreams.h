#pragma once
// Streaming file access: a source read front to back in fixed chunks, and a
// destination (a coded file, a key file) that appears only once it is complete.

#include "engine/Errors.h"
#include "engine/Platform.h"

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <unordered_set>
#include <sys/types.h>
#include <vector>

namespace velt {

/// The chunk the conversions read at a time; memory stays flat whatever the file size.
inline constexpr std::size_t kFileChunk = std::size_t{1} << 20;

/// A regular file opened for reading. Throws VeltError(FileReadFailed) when the
/// path is missing or unreadable, VeltError(NotRegularFile) for a folder, a device or a
/// pipe (without waiting on it).
class SourceFile final {
public:
    explicit SourceFile(const std::filesystem::path& path);
    ~SourceFile();
    SourceFile(const SourceFile&) = delete;
    SourceFile& operator=(const SourceFile&) = delete;

    /// The size when the file was opened.
    std::uint64_t Size() const { return m_size; }
    /// The permission bits when the file was opened.
    std::filesystem::perms Permissions() const { return m_permissions; }
    /// Fills `buffer` as far as the file goes; fewer bytes only at the end of the file.
    std::size_t Read(std::span<std::uint8_t> buffer);
    /// Fills `buffer` from `offset` on, as far as the file goes; safe from several threads at once.
    std::size_t ReadAt(std::uint64_t offset, std::span<std::uint8_t> buffer);

private:
    int m_fd = -1;
    std::uint64_t m_size = 0;
    std::filesystem::perms m_permissions{};
    std::string m_path;
};

/// How Commit() puts the finished file in place.
enum class CommitMode {
    Replace,   ///< over whatever file has the name by then
    NoReplace, ///< only when the name is still free; else VeltError(DestinationExists)
};

/// Where ReplacingFile writes: unnamed where the file system allows it, else a hidden name.
/// Named forces the fallback (to try it where unnamed files exist).
enum class TemporaryKind { Unnamed, Named };

/// The ending of the hidden name (.NAME.PID-N.part) of a temporary file.
inline constexpr const char* kTemporarySuffix = ".part";

/// Removes the hidden temporary files (exactly .NAME.PID-N.part, ours) in `folder` whose
/// writing process no longer exists: a kill can leave one behind.
void RemoveStaleTemporaries(const std::filesystem::path& folder);

/// Whether a new ReplacingFile first removes stale temporaries in its folder.
enum class StaleSweep { Sweep, AlreadySwept };

/// A destination written into a temporary file beside it and put in place by Commit().
/// On Linux the temporary file has no name (O_TMPFILE), so no crash or kill can leave
/// it behind; elsewhere it is a hidden name reported to `temporaries` while it exists,
/// and one left by a killed process is removed by the next ReplacingFile in that folder
/// (unless its caller swept that folder already in the same run).
/// The file is 0600 until Commit() has put it in place and only then gets the permission
/// bits (0777) of `mode`; without a mode an existing destination's bits are kept and a new
/// one gets 0666 less the umask. Commit() flushes the data before the file takes its name and
/// the folder after. Until Commit() an existing destination stays untouched; destroyed
/// without Commit(), nothing is left.
/// Throws VeltError(FolderMissing, DiskFull, FileWriteFailed, DestinationExists).
class ReplacingFile final {
public:
    explicit ReplacingFile(std::filesystem::path destination,
                           std::optional<std::filesystem::perms> mode = std::nullopt,
                           ITemporaryFiles* temporaries = nullptr, TemporaryKind kind = TemporaryKind::Unnamed,
                           StaleSweep sweep = StaleSweep::Sweep);
    ~ReplacingFile();
    ReplacingFile(const ReplacingFile&) = delete;
    ReplacingFile& operator=(const ReplacingFile&) = delete;

    void Write(std::span<const std::uint8_t> bytes);
    /// Writes `bytes` at `offset`; safe from several threads at once (not mixed with Write()).
    void WriteAt(std::uint64_t offset, std::span<const std::uint8_t> bytes);
    /// Closes the file and puts it in place.
    void Commit(CommitMode mode = CommitMode::Replace);

    /// The temporary file's name while it has one (empty for an unnamed one).
    const std::filesystem::path& TemporaryPath() const { return m_temporary; }
    const std::filesystem::path& Destination() const { return m_destination; }

private:
    friend class CommitGroup;
    enum class Durably { Now, Later };
    void FlushData();
    /// Gives the file its name; returns the permission bits it is to take there.
    ::mode_t Place(CommitMode mode);
    /// Gives the placed file `bits`; false when it keeps 0600 (nothing to flush).
    bool SetBits(::mode_t bits, Durably durably);
    void SyncItsFolder();
    /// Counts `bytes` just written; every few megabytes starts their way to the disk.
    void Written(std::size_t bytes);
    void Close();
    void OpenNamed(const std::filesystem::path& folder);
    /// Gives the unnamed file the name `name`; false when the name is taken.
    bool LinkUnnamed(const std::filesystem::path& name);
    void Remember(std::filesystem::path name);
    void Forget();
    [[noreturn]] void Fail(int error);

    std::filesystem::path m_destination;
    std::optional<std::filesystem::perms> m_mode;
    ITemporaryFiles* m_temporaries;
    std::filesystem::path m_temporary;
    int m_fd = -1;
    std::atomic<std::uint64_t> m_unsent{0}; ///< bytes written since writeback was last started
};

/// Files finished one after another and put in place together, so that a run over many small
/// files pays for a few flushes rather than three per file: the data of every member is flushed
/// before any of them takes its name, then the members are placed, then each folder is flushed
/// once. Each file is placed whole or not at all, with the rules of its own Commit(); one that
/// cannot be placed is dropped with its failure and the others go on. A member holds its file
/// open, so a group is kept well below the limit of open files.
class CommitGroup final {
public:
    /// Takes `file`, finished, to be placed by the next Commit() as `mode` says. A file with a
    /// hidden name (a file system without unnamed files) is placed at once, so that a signal
    /// never has more than one such name to remove; its failure is thrown.
    void Add(std::unique_ptr<ReplacingFile> file, CommitMode mode);
    std::size_t Size() const { return m_members.size(); }
    /// The bytes written into the members.
    std::uint64_t Bytes() const { return m_bytes; }
    /// Whether a member is to take the name `destination`.
    bool Holds(const std::filesystem::path& destination) const;
    /// Places every member: one result per member, in the order they came, empty when placed.
    std::vector<std::optional<VeltError>> Commit();

private:
    /// syncfs() once per file system of the members: per member, whether that flush succeeded.
    std::vector<char> SyncFileSystems() const;
    struct Member {
        std::unique_ptr<ReplacingFile> file;
        CommitMode mode;
        std::filesystem::path name; ///< absolute
        bool deviceKnown = false;   ///< the file system it is on, for the flushes
        ::dev_t device = 0;
    };
    /// `destination` made absolute and plain, as m_names holds it.
    std::string NameOf(const std::filesystem::path& destination) const;
    std::vector<Member> m_members;
    std::uint64_t m_bytes = 0;
    std::unordered_set<std::string> m_names; ///< the members' names, for Holds()
    /// Where relative names start, read once: asking the kernel for it per file costs more than
    /// the lookup itself. Empty when it could not be read.
    std::filesystem::path m_workingFolder = WorkingFolder();
    static std::filesystem::path WorkingFolder();
};

/// The whole of a file (for texts; coded files are streamed). Throws VeltError(FileReadFailed),
/// or VeltError(FileTooLarge) above `limit` bytes.
std::string ReadWholeFile(const std::filesystem::path& path, std::uint64_t limit);

/// A path as the user reads it in a message.
std::string DisplayPath(const std::filesystem::path& path);

} // namespace velt
