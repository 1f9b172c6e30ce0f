#include "FileCoder.h"

#include "AppState.h"
#include "Errors.h"
#include "FileStreams.h"
#include "ProgressTicker.h"
#include "Texts.h"

#include <algorithm>
#include <future>
#include <sys/stat.h>
#include <thread>
#include <vector>

namespace velt {
namespace {

/// Thrown inside RestoreFile when the coded file turns out to have an odd size.
struct OddSize {};

enum class Existing { Nothing, File, Folder };

Existing WhatIsAt(const std::filesystem::path& path) {
    struct stat info {};
    if (::lstat(path.c_str(), &info) != 0) {
        return Existing::Nothing;
    }
    return S_ISDIR(info.st_mode) ? Existing::Folder : Existing::File;
}

/// Writes one buffer to the destination on another thread while the next one is coded;
/// buffers are written in order, and a failure surfaces at the next call or at Finish().
class Overlapped final {
public:
    explicit Overlapped(ReplacingFile& destination) : m_destination(destination) {}
    ~Overlapped() {
        if (m_writing.valid()) {
            m_writing.wait();
        }
    }
    Overlapped(const Overlapped&) = delete;
    Overlapped& operator=(const Overlapped&) = delete;

    /// Starts writing `bytes`, which stay untouched until the next Write() or Finish() returns.
    void Write(std::span<const std::uint8_t> bytes) {
        Finish();
        m_writing = std::async(std::launch::async, [this, bytes] { m_destination.Write(bytes); });
    }
    void Finish() {
        if (m_writing.valid()) {
            m_writing.get();
        }
    }

private:
    ReplacingFile& m_destination;
    std::future<void> m_writing;
};

/// Encodes every byte of `source` into its pair in `destination`. The reference text is read
/// once per run between two progress reports, the only place where another window may change it.
void EncodeBytes(AppState& s, SourceFile& source, ReplacingFile& destination, ProgressTicker& ticker) {
    IRandomSource& random = s.Random();
    std::vector<std::uint8_t> in(kFileChunk);
    std::vector<std::uint8_t> out[2] = {std::vector<std::uint8_t>(2 * kFileChunk),
                                        std::vector<std::uint8_t>(2 * kFileChunk)};
    std::vector<std::uint16_t> positions(kFileChunk);
    Overlapped writer(destination);
    s.schedule.Start(s.keyLength, &s.Reference());
    std::int64_t index = 0;
    for (std::size_t got, turn = 0; (got = source.Read(in)) > 0; turn ^= 1) {
        std::uint8_t* const pairs = out[turn].data();
        for (std::size_t i = 0; i < got;) {
            const auto count =
                static_cast<std::size_t>(ticker.Run(index + 1, static_cast<std::int64_t>(got - i)));
            PositionWalk walk = s.schedule.Walk();
            for (std::size_t k = 0; k < count; ++k) {
                positions[k] = static_cast<std::uint16_t>(walk.Next());
            }
            s.schedule.Continue(walk, count);
            s.cipher.EncodeRun(s.key, random, std::span(positions).first(count), &in[i], pairs + 2 * i);
            i += count;
            index += static_cast<std::int64_t>(count);
        }
        writer.Write(std::span(out[turn]).first(2 * got));
    }
    writer.Finish();
}

/// Decodes the pairs of `source` into `destination`, each chunk on every core.
void RestorePairs(AppState& s, SourceFile& source, ReplacingFile& destination, ProgressTicker& ticker) {
    constexpr std::size_t kChunk = 4 * kFileChunk;
    const int cores = static_cast<int>(std::clamp(std::thread::hardware_concurrency(), 1u, 4u));
    std::vector<std::uint8_t> in(kChunk);
    std::vector<std::uint8_t> out[2] = {std::vector<std::uint8_t>(kChunk / 2),
                                        std::vector<std::uint8_t>(kChunk / 2)};
    Overlapped writer(destination);
    s.schedule.Start(s.keyLength, &s.Reference());
    std::int64_t done = 0;
    for (std::size_t got, turn = 0; (got = source.Read(in)) > 0; turn ^= 1) {
        const std::size_t pairs = got / 2;
        PositionWalk walk = s.schedule.Walk();
        Cipher::DecodeSplit(s.key, walk, in.data(), pairs, out[turn].data(), cores);
        s.schedule.Continue(walk, pairs);
        writer.Write(std::span(out[turn]).first(pairs));
        done += static_cast<std::int64_t>(got);
        ticker.Tick(done - 1);
        if (got % 2 != 0) {
            throw OddSize{}; // the file grew to an odd size while we read it
        }
    }
    writer.Finish();
}

/// LoadKey, and a key of at least one position to code at.
void LoadUsableKey(AppState& state) {
    state.LoadKey();
    if (state.keyLength < 1) {
        throw VeltError(ErrorKind::KeyTooShort, "key length below 1", 1, 0, state.keyFileName);
    }
}

} // namespace

std::filesystem::path CodedFileName(const std::filesystem::path& source) {
    std::filesystem::path coded = source;
    coded += ".JPG";
    return coded;
}

std::filesystem::path RestoredFileName(const std::filesystem::path& codedFile) {
    // Four characters, not bytes: a name may end in letters that UTF-8 spells with several.
    const std::string name = codedFile.filename().string();
    std::size_t cut = name.size();
    for (int characters = 0; characters < 4 && cut > 0; ++characters) {
        do {
            --cut;
        } while (cut > 0 && (static_cast<unsigned char>(name[cut]) & 0xC0) == 0x80);
    }
    if (cut == 0) {
        const std::string shown = DisplayPath(codedFile);
        throw VeltError(ErrorKind::FileNameTooShort, shown + ": name too short", 0, 0, shown);
    }
    return codedFile.parent_path() / name.substr(0, cut);
}

template <class Conversion>
FileOutcome FileCoder::Reporting(Conversion conversion) {
    try {
        return conversion();
    } catch (const OddSize&) {
        ShowBadFile();
    } catch (const VeltError& error) {
        Report(error);
    } catch (const std::exception& error) {
        ReportUnexpected(error);
    }
    return FileOutcome::Failed;
}

FileCoder::FileCoder(AppState& state, IFileWindow* fileWindow) : m_state(state), m_fileWindow(fileWindow) {}

FileOutcome FileCoder::EncodeFile() {
    AppState& s = m_state;
    s.destinationPath = CodedFileName(s.sourcePath);
    return Reporting([&] {
        LoadUsableKey(s);
        s.codedText.clear();
        const auto commit = MayReplaceDestination();
        if (!commit) {
            return FileOutcome::Declined;
        }
        SourceFile source(s.sourcePath);
        ReplacingFile destination(s.destinationPath, source.Permissions(), s.Temporaries());
        if (m_fileWindow != nullptr) {
            m_fileWindow->CloseFileWindow();
            m_fileWindow = nullptr;
        }
        {
            ProgressTicker ticker(s.Progress(), static_cast<std::int64_t>(source.Size()));
            s.codedText.clear();
            EncodeBytes(s, source, destination, ticker);
        }
        destination.Commit(*commit);
        return FileOutcome::Converted;
    });
}

FileOutcome FileCoder::RestoreFile() {
    AppState& s = m_state;
    if (m_fileWindow != nullptr) {
        m_fileWindow->HideFileWindow();
    }
    return Reporting([&] {
        s.destinationPath = RestoredFileName(s.sourcePath);
        s.keyMissing = false;
        const auto commit = MayReplaceDestination();
        if (!commit) {
            return FileOutcome::Declined;
        }
        SourceFile source(s.sourcePath);
        if (source.Size() % 2 != 0) {
            ShowBadFile();
            return FileOutcome::Failed;
        }
        LoadUsableKey(s);
        s.plainText.clear();
        // A restored file is as private as the coded file it came from.
        ReplacingFile destination(s.destinationPath, source.Permissions(), s.Temporaries());
        {
            ProgressTicker ticker(s.Progress(), static_cast<std::int64_t>(source.Size()));
            RestorePairs(s, source, destination, ticker);
        }
        destination.Commit(*commit);
        s.keyMissing = false;
        return FileOutcome::Converted;
    });
}

void FileCoder::LoadFileText() {
    m_state.codedText.clear();
    std::string text;
    try {
        text = ReadWholeFile(m_state.sourcePath, kMaxTextFileSize);
    } catch (const std::bad_alloc&) {
        const std::string shown = DisplayPath(m_state.sourcePath);
        throw VeltError(ErrorKind::FileTooLarge, shown + ": out of memory", 0, 0, shown);
    }
    if (text.ends_with("\r\n")) {
        text.resize(text.size() - 2);
    }
    m_state.codedText = std::move(text);
}

std::optional<CommitMode> FileCoder::MayReplaceDestination() {
    const std::filesystem::path& destination = m_state.destinationPath;
    switch (WhatIsAt(destination)) {
    case Existing::Nothing:
        // Nobody agreed to replace a file that appears while we write.
        return CommitMode::NoReplace;
    case Existing::Folder: {
        const std::string shown = DisplayPath(destination);
        throw VeltError(ErrorKind::FileWriteFailed, shown + ": is a folder", 0, 0, shown);
    }
    case Existing::File:
        break;
    }
    const auto title = Text(TextId::OverwriteTitle, m_state.language);
    if (!title) {
        return std::nullopt; // no language to ask in: keep the file
    }
    Message question;
    question.icon = MessageIcon::Question;
    question.buttons = MessageButtons::YesNo;
    question.defaultAnswer = MessageAnswer::No;
    question.title = *title;
    question.text = *FormatText(TextId::OverwriteText, m_state.language, {DisplayPath(destination)});
    if (m_state.Messages().Show(question) != MessageAnswer::Yes) {
        return std::nullopt;
    }
    return CommitMode::Replace;
}

void FileCoder::Report(const VeltError& error) {
    const auto title = Text(TextId::ErrorTitle, m_state.language);
    if (!title) {
        return;
    }
    Message message;
    message.title = *title;
    message.text = error.kind == ErrorKind::KeyFileMissing ? *Text(TextId::KeyMissingText, m_state.language)
                                                           : DescribeError(error, m_state.language);
    m_state.Messages().Show(message);
}

void FileCoder::ReportUnexpected(const std::exception& error) {
    // Out of memory or a key length no schedule can walk: still a message, never a crash.
    const std::string shown = DisplayPath(m_state.destinationPath);
    Report(VeltError(ErrorKind::FileWriteFailed, error.what(), 0, 0, shown));
}

void FileCoder::ShowBadFile() {
    const auto title = Text(TextId::ErrorTitle, m_state.language);
    if (!title) {
        return;
    }
    Message message;
    message.title = *title;
    message.text = *Text(TextId::BadFileText, m_state.language);
    m_state.Messages().Show(message);
}

} // namespace velt
