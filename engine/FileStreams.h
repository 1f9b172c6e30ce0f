#pragma once
// Streaming file access: a source read front to back in fixed chunks, and a
// destination (a coded file, a key file) that appears only once it is complete.

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <span>
#include <string>

namespace velt {

/// The chunk the conversions read at a time; memory stays flat whatever the file size.
inline constexpr std::size_t kFileChunk = std::size_t{1} << 20;

/// A regular file opened for reading. Throws VeltError(FileReadFailed) when the
/// path is missing, unreadable or not a regular file (a folder, a device).
class SourceFile final {
public:
    explicit SourceFile(const std::filesystem::path& path);
    ~SourceFile();
    SourceFile(const SourceFile&) = delete;
    SourceFile& operator=(const SourceFile&) = delete;

    /// The size when the file was opened.
    std::uint64_t Size() const { return m_size; }
    /// Fills `buffer` as far as the file goes; fewer bytes only at the end of the file.
    std::size_t Read(std::span<std::uint8_t> buffer);

private:
    int m_fd = -1;
    std::uint64_t m_size = 0;
    std::string m_path;
};

/// A destination written under a temporary name beside it and renamed into place by
/// Commit(). Until then an existing destination stays untouched; destroyed without
/// Commit(), the temporary file is removed. Throws VeltError(FolderMissing, DiskFull,
/// FileWriteFailed).
class ReplacingFile final {
public:
    explicit ReplacingFile(std::filesystem::path destination);
    ~ReplacingFile();
    ReplacingFile(const ReplacingFile&) = delete;
    ReplacingFile& operator=(const ReplacingFile&) = delete;

    void Write(std::span<const std::uint8_t> bytes);
    /// Closes the file and moves it over the destination.
    void Commit();

    const std::filesystem::path& TemporaryPath() const { return m_temporary; }

private:
    [[noreturn]] void Fail(int error);

    std::filesystem::path m_destination;
    std::filesystem::path m_temporary;
    int m_fd = -1;
};

/// The whole of a file (for texts; coded files are streamed). Throws VeltError(FileReadFailed),
/// or VeltError(FileTooLarge) above `limit` bytes.
std::string ReadWholeFile(const std::filesystem::path& path, std::uint64_t limit);

/// A path as the user reads it in a message.
std::string DisplayPath(const std::filesystem::path& path);

} // namespace velt
