#pragma once
// Conversion of any file into a coded file and back, and reading a file as text.

#include "engine/FileStreams.h"

#include <cstdint>
#include <exception>
#include <filesystem>
#include <span>
#include <memory>
#include <optional>
#include <string>

namespace velt {

class AppState;
class VeltError;
enum class CommitMode;

/// What the conversions need of the file window while it is open.
class IFileWindow {
public:
    virtual ~IFileWindow() = default;
    /// EncodeFile closes the window once source and destination are open.
    virtual void CloseFileWindow() = 0;
    /// RestoreFile hides the window as it starts.
    virtual void HideFileWindow() = 0;
};

enum class FileOutcome {
    Converted, ///< the destination is in place
    Declined,  ///< the user kept an existing destination; nothing written
    Failed,    ///< a message was shown; nothing written, an existing destination untouched
    Cancelled, ///< the user stopped it in the wait window; nothing written, nothing shown
};

/// The largest file LoadFileText takes into memory: a coded text file of a letter of four million
/// characters and its cover image. A larger one is refused at once rather than read and laid
/// out for minutes.
inline constexpr std::uint64_t kMaxTextFileSize = std::uint64_t{16} << 20;

/// The coded file of `source`: its full path with ".JPG" appended.
std::filesystem::path CodedFileName(const std::filesystem::path& source);
/// The restored file of a coded file: its full path less the last four characters of
/// its name, whatever they are. Throws VeltError(FileNameTooShort) when the name has
/// fewer than five characters.
std::filesystem::path RestoredFileName(const std::filesystem::path& codedFile);

/// EncodeFile, RestoreFile and LoadFileText on the application state: they read
/// its source path, set its destination path and report through its messages and
/// progress. Files stream through fixed buffers; a destination appears only when
/// complete, so a failure or a declined overwrite leaves the old one as it was.
class FileCoder final {
public:
    /// `fileWindow` is the open file window, if any.
    explicit FileCoder(AppState& state, IFileWindow* fileWindow = nullptr);

    /// source path -> source path + ".JPG", two bytes per source byte.
    FileOutcome EncodeFile();
    /// source path (a coded file) -> source path less its last four characters.
    FileOutcome RestoreFile();
    /// The whole source file, less one trailing CR LF, into the shared coded-text buffer.
    /// Shows nothing; throws VeltError(FileReadFailed, FileTooLarge), leaving the buffer empty.
    void LoadFileText();
    /// While `group` is set, a finished destination joins it instead of being put in place at once:
    /// Converted then says that the file is written, and the group's Commit() whether it took its name.
    void DeferCommits(CommitGroup* group) { m_group = group; }
    /// Restores on at most `threads` threads (at least one); by default on every useful core.
    void LimitThreads(std::size_t threads) { m_threads = threads < 1 ? 1 : threads; }
    /// The files that the next EncodeFile calls convert in turn, this one first: where the
    /// processor has vector lanes, small ones among them are encoded ahead, many at once.
    void EncodeAhead(std::span<const std::filesystem::path> upcoming) { m_upcoming = upcoming; }

private:
    /// Reads the small files among the next upcoming ones and encodes them ahead, unless the
    /// last preparation looked at this one already.
    void PrepareAhead();
    void Place(std::unique_ptr<ReplacingFile> destination, CommitMode mode);
    /// The overwrite question when the destination exists: how to put the result in
    /// place, or nullopt when the user keeps the existing file.
    std::optional<CommitMode> MayReplaceDestination();
    void Report(const VeltError& error);
    void ReportUnexpected(const std::exception& error);
    void ShowBadFile();
    /// Runs a conversion, turning any failure into its message and FileOutcome::Failed.
    template <class Conversion>
    FileOutcome Reporting(Conversion conversion);
    /// Sweep for the first file this coder writes into a folder, AlreadySwept after: a run over
    /// a large folder lists it once, not once per file.
    StaleSweep SweepFor(const std::filesystem::path& destination);

    AppState& m_state;
    IFileWindow* m_fileWindow;
    std::filesystem::path m_sweptFolder;
    CommitGroup* m_group = nullptr;
    std::size_t m_threads;
    std::span<const std::filesystem::path> m_upcoming;
    std::size_t m_aheadLooked = 0; ///< upcoming files the last preparation looked at, not yet converted
};

} // namespace velt
