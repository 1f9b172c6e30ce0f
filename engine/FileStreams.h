#pragma once
// Streaming file access: a source read front to back in fixed chunks, and a
// destination (a coded file, a key file) that appears only once it is complete.

#include "engine/Platform.h"

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <span>
#include <string>
#include <string_view>

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
    /// Closes the file and puts it in place.
    void Commit(CommitMode mode = CommitMode::Replace);

    /// The temporary file's name while it has one (empty for an unnamed one).
    const std::filesystem::path& TemporaryPath() const { return m_temporary; }

private:
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
};

/// The whole of a file (for texts; coded files are streamed). Throws VeltError(FileReadFailed),
/// or VeltError(FileTooLarge) above `limit` bytes.
std::string ReadWholeFile(const std::filesystem::path& path, std::uint64_t limit);

/// A path as the user reads it in a message.
std::string DisplayPath(const std::filesystem::path& path);

} // namespace velt
