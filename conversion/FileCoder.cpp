#include "conversion/FileCoder.h"

#include "engine/AppState.h"
#include "engine/Errors.h"
#include "engine/FileStreams.h"
#include "engine/LaneEncoder.h"
#include "engine/ProgressTicker.h"
#include "engine/Texts.h"
#include "engine/Utf8.h"
#include "engine/Workers.h"

#include <algorithm>
#include <atomic>
#include <memory>
#include <fcntl.h>
#include <optional>
#include <sys/stat.h>
#include <unistd.h>
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

/// A buffer for one piece of a file, no larger than the file needs and not cleared first.
std::unique_ptr<std::uint8_t[]> PieceBuffer(std::size_t bytes) {
    return std::make_unique_for_overwrite<std::uint8_t[]>(bytes);
}

/// Streams `source` into `destination` through `code`, which turns `got` bytes of a piece at
/// `in` into bytes at `out` and says how many. Pieces are at most `inPiece` bytes in and
/// `outPiece` out, small enough to stay in the caches from reading to writing. For a file of
/// several pieces another thread writes the piece before and reads the one after meanwhile;
/// a file of one piece pays for no thread.
template <class Code>
void Stream(SourceFile& source, ReplacingFile& destination, std::size_t inPiece, std::size_t outPiece,
            Code code) {
    const std::unique_ptr<std::uint8_t[]> in[2] = {PieceBuffer(inPiece), PieceBuffer(inPiece)};
    const std::unique_ptr<std::uint8_t[]> out[2] = {PieceBuffer(outPiece), PieceBuffer(outPiece)};
    std::size_t got = source.Read(std::span(in[0].get(), inPiece));
    std::size_t next = 0;
    // Declared after the buffers: however we leave, its job ends before they go.
    Workers io(source.Size() > inPiece ? 1 : 0);
    for (std::size_t turn = 0, written = 0; got > 0; turn ^= 1) {
        const auto overlapped = [&, turn, written] {
            destination.Write(std::span(out[turn ^ 1].get(), written));
            next = source.Read(std::span(in[turn ^ 1].get(), inPiece));
        };
        if (io.Size() == 0) {
            overlapped();
        } else {
            io.Start(0, overlapped);
        }
        written = code(in[turn].get(), got, out[turn].get());
        io.Wait();
        got = next;
        if (got == 0) {
            destination.Write(std::span(out[turn].get(), written));
        }
    }
}

/// The largest piece of a file encoded in vector lanes: a few milliseconds of work.
constexpr std::size_t kLanePiece = std::size_t{4} << 20;

/// Below this many bytes a run is encoded on one thread: the threads would cost more.
constexpr std::size_t kCutBytes = std::size_t{1} << 16;

/// Encodes every byte of `source` into its pair in `destination`, each run on every core when
/// the file is large. The reference text is read once per run between two progress reports,
/// the only place where another window may change it.
void EncodeBytes(AppState& s, SourceFile& source, ReplacingFile& destination, ProgressTicker& ticker) {
    IRandomSource& random = s.Random();
    // In vector lanes a whole piece is one run, and each run costs its seams: larger pieces.
    const bool lanes = source.Size() >= 2 * kCutBytes && LanesAvailable();
    const std::size_t most = lanes ? kLanePiece : kFileChunk;
    std::size_t piece = static_cast<std::size_t>(std::clamp<std::uint64_t>(source.Size(), 1, most));
    std::vector<std::unique_ptr<IRandomSource>> sources;
    if (source.Size() >= 2 * kCutBytes) {
        for (std::size_t k = 1; k < UsefulCores(); ++k) {
            auto independent = random.Independent();
            if (!independent) {
                break;
            }
            sources.push_back(std::move(independent));
        }
    }
    Workers helpers(sources.size());
    const bool cut = lanes || !sources.empty();
    s.schedule.Start(s.keyLength, &s.Reference());
    // Runs of whole rounds of the key in every lane: the lanes then code at one position at a
    // time, whose tables serve them all from the nearest cache.
    std::size_t round = 0;
    if (lanes && !s.schedule.ReferenceMode()) {
        round = (sources.size() + 1) * kLanes * static_cast<std::size_t>(s.keyLength);
        if (round > most) {
            round = 0;
        } else if (source.Size() >= round) {
            // As many rounds as fit, but no more than the file needs.
            piece = round * static_cast<std::size_t>(
                                std::min<std::uint64_t>(most / round, (source.Size() + round - 1) / round));
        }
    }
    const std::size_t cutRun = lanes ? piece : kCutBytes;
    std::int64_t index = 0;
    Stream(source, destination, piece, 2 * piece,
           [&](const std::uint8_t* codes, std::size_t got, std::uint8_t* pairs) {
               if (index == 0 && got == source.Size() && s.ahead.Left() > 0) {
                   // A small file may have been encoded ahead: then it only has to be joined.
                   ticker.Tick(1); // where a stop asked for is heard
                   PositionWalk walk = s.schedule.Walk();
                   if (s.ahead.Take(s.cipher, s.key, random, walk, codes, got, pairs)) {
                       s.schedule.Continue(walk, got);
                       index = static_cast<std::int64_t>(got);
                       return 2 * got;
                   }
               }
               for (std::size_t i = 0; i < got;) {
                   auto count =
                       static_cast<std::size_t>(ticker.Run(index + 1, static_cast<std::int64_t>(got - i)));
                   if (cut) {
                       // Runs worth cutting, at the cost of fewer reports on middling files.
                       count = std::min(got - i, std::max(count, cutRun));
                       if (round > 0 && count > round) {
                           count -= count % round; // the rest is a run of its own
                       }
                   }
                   PositionWalk walk = s.schedule.Walk();
                   if (cut && count >= kCutBytes) {
                       s.cipher.EncodeSplit(s.key, random, walk, codes + i, count, pairs + 2 * i, helpers, sources);
                   } else {
                       s.cipher.EncodeWalk(s.key, random, walk, codes + i, count, pairs + 2 * i);
                   }
                   s.schedule.Continue(walk, count);
                   i += count;
                   index += static_cast<std::int64_t>(count);
               }
               return 2 * got;
           });
}

/// Pairs in one piece of a restore: its codes and its plain bytes stay in the caches from
/// reading to writing.
constexpr std::size_t kRestorePiece = std::size_t{256} << 10;

/// Decodes the pairs of `source` into `destination` on every core. Each thread takes the next
/// piece, reads it where it lies, decodes it from its own offset of the schedule and writes it
/// where it belongs: reading, decoding and writing of different pieces overlap with no hand-over
/// between threads. The caller's thread reports progress between its pieces.
void RestorePairs(AppState& s, SourceFile& source, ReplacingFile& destination, ProgressTicker& ticker,
                  std::size_t threads) {
    const std::uint64_t total = source.Size() / 2;
    s.schedule.Start(s.keyLength, &s.Reference());
    PositionWalk start = s.schedule.Walk();
    // Our own copy: no event runs while a file is restored, but nothing may change it under the threads.
    const std::string reference(start.reference);
    start.reference = reference;
    // A piece holds 64 whole rounds of the key wherever it starts, for the vector lanes.
    std::size_t pieceSize = kRestorePiece;
    if (!start.referenceMode && LanesAvailable()) {
        pieceSize = std::max(pieceSize, (kLanes + 1) * static_cast<std::size_t>(start.keyLength));
    }
    const std::uint64_t pieces = (total + pieceSize - 1) / pieceSize;
    std::atomic<std::uint64_t> next{0};
    std::atomic<std::uint64_t> done{0};
    std::atomic<bool> stop{false};
    const auto work = [&](bool reporting) {
        const std::size_t most = static_cast<std::size_t>(std::min<std::uint64_t>(total, pieceSize));
        const auto in = PieceBuffer(2 * most);
        const auto out = PieceBuffer(most);
        for (std::uint64_t index = 0; !stop.load(std::memory_order_relaxed) && (index = next++) < pieces;) {
            const std::uint64_t first = index * pieceSize;
            const auto count = static_cast<std::size_t>(std::min<std::uint64_t>(pieceSize, total - first));
            if (source.ReadAt(2 * first, std::span(in.get(), 2 * count)) != 2 * count) {
                throw OddSize{}; // the file shrank while we read it
            }
            PositionWalk walk = start;
            walk.Skip(first);
            Cipher::DecodeWalk(s.key, walk, in.get(), count, out.get());
            destination.WriteAt(first, std::span(out.get(), count));
            const std::uint64_t finished = done += count;
            if (reporting) {
                ticker.Tick(static_cast<std::int64_t>(2 * finished - 1));
            }
        }
    };
    {
        Workers helpers(pieces > 1 ? std::min<std::uint64_t>(threads, pieces) - 1 : 0);
        for (std::size_t k = 0; k < helpers.Size(); ++k) {
            helpers.Start(k, [&] {
                try {
                    work(false);
                } catch (...) {
                    stop = true;
                    throw;
                }
            });
        }
        try {
            work(true);
        } catch (...) {
            stop = true; // the helpers end after their piece; leaving this scope waits for them
            throw;
        }
        helpers.Wait();
    }
    if (total > 0) {
        ticker.Tick(static_cast<std::int64_t>(2 * total - 1)); // the helpers may have done the last pieces
    }
    start.Skip(total);
    start.reference = {};
    s.schedule.Continue(start, total);
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
        cut = utf8::CharacterStart(name, cut - 1);
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
    } catch (const WorkCancelled&) {
        return FileOutcome::Cancelled; // the unfinished destination is discarded on the way out
    } catch (const OddSize&) {
        ShowBadFile();
    } catch (const VeltError& error) {
        Report(error);
    } catch (const std::exception& error) {
        ReportUnexpected(error);
    }
    return FileOutcome::Failed;
}

FileCoder::FileCoder(AppState& state, IFileWindow* fileWindow)
    : m_state(state), m_fileWindow(fileWindow), m_threads(UsefulCores()) {}

namespace {

/// The `size` bytes of `file`, or nothing when it does not hold just as many now; failures are
/// reported when the file's turn comes. Not ReadWholeFile: a look ahead needs no messages, and
/// with the size known one read does, per file of a long run.
std::optional<std::vector<std::uint8_t>> ReadSmallFile(const std::filesystem::path& file, std::uint64_t size) {
    const int fd = ::open(file.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
    if (fd < 0) {
        return std::nullopt;
    }
    std::vector<std::uint8_t> bytes(static_cast<std::size_t>(size) + 1);
    const ::ssize_t got = ::read(fd, bytes.data(), bytes.size());
    ::close(fd);
    if (got < 0 || static_cast<std::uint64_t>(got) != size) {
        return std::nullopt;
    }
    bytes.pop_back();
    return bytes;
}

/// Sizes of the files worth encoding ahead: below, the chain's seam into a lane is most of the
/// file; from kCutBytes on, a file is cut on its own.
constexpr std::uint64_t kAheadSmallest = 1024;
/// Fewest files worth a lane run: it costs every lane whether it holds a file or not.
constexpr std::size_t kAheadFewest = 24;
/// Most upcoming files looked at for one lane run: a long list of large files is not read
/// through before the first of them.
constexpr std::size_t kAheadLooks = 4 * kLanes;

} // namespace

void FileCoder::PrepareAhead() {
    AppState& s = m_state;
    if (m_upcoming.empty() || s.sourcePath != m_upcoming.front()) {
        return;
    }
    if (m_aheadLooked > 0) {
        --m_aheadLooked; // looked at last time, with the rest of its batch
        return;
    }
    if (!LanesAvailable()) {
        return;
    }
    s.schedule.Start(s.keyLength, &s.Reference());
    const PositionWalk walk = s.schedule.Walk();
    if (walk.referenceMode) {
        return;
    }
    // Each file starts with the alternation that the chain will have there, if every file
    // before it is converted as it is now.
    bool flipped = s.cipher.state.alternation;
    std::vector<std::vector<std::uint8_t>> files;
    std::vector<bool> flips;
    std::size_t looked = 0;
    for (; looked < std::min(m_upcoming.size(), kAheadLooks) && files.size() < kLanes; ++looked) {
        struct stat info {};
        if (::stat(m_upcoming[looked].c_str(), &info) != 0 || !S_ISREG(info.st_mode)) {
            continue;
        }
        const auto size = static_cast<std::uint64_t>(info.st_size);
        if (size >= kAheadSmallest && size < kCutBytes) {
            if (auto bytes = ReadSmallFile(m_upcoming[looked], size)) {
                files.push_back(std::move(*bytes));
                flips.push_back(flipped);
            }
        }
        flipped = flipped != ((size & 1) != 0);
    }
    m_aheadLooked = looked - 1;
    if (files.size() < kAheadFewest) {
        s.ahead.Clear();
        return;
    }
    s.ahead.Prepare(s.key, s.Random(), walk, std::move(files), flips);
}

FileOutcome FileCoder::EncodeFile() {
    AppState& s = m_state;
    s.destinationPath = CodedFileName(s.sourcePath);
    return Reporting([&] {
        LoadUsableKey(s);
        PrepareAhead();
        s.codedText.clear();
        const auto commit = MayReplaceDestination();
        if (!commit) {
            return FileOutcome::Declined;
        }
        SourceFile source(s.sourcePath);
        auto destination =
            std::make_unique<ReplacingFile>(s.destinationPath, source.Permissions(), s.Temporaries(),
                                            TemporaryKind::Unnamed, SweepFor(s.destinationPath));
        if (m_fileWindow != nullptr) {
            m_fileWindow->CloseFileWindow();
            m_fileWindow = nullptr;
        }
        {
            ProgressTicker ticker(s.Progress(), static_cast<std::int64_t>(source.Size()), {}, Stoppable::Yes);
            s.codedText.clear();
            EncodeBytes(s, source, *destination, ticker);
        }
        Place(std::move(destination), *commit);
        return FileOutcome::Converted;
    });
}

StaleSweep FileCoder::SweepFor(const std::filesystem::path& destination) {
    std::filesystem::path folder = destination.parent_path();
    if (folder.empty()) {
        folder = ".";
    }
    if (folder == m_sweptFolder) {
        return StaleSweep::AlreadySwept;
    }
    m_sweptFolder = std::move(folder);
    return StaleSweep::Sweep;
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
        auto destination =
            std::make_unique<ReplacingFile>(s.destinationPath, source.Permissions(), s.Temporaries(),
                                            TemporaryKind::Unnamed, SweepFor(s.destinationPath));
        {
            ProgressTicker ticker(s.Progress(), static_cast<std::int64_t>(source.Size()), {}, Stoppable::Yes);
            RestorePairs(s, source, *destination, ticker, m_threads);
        }
        Place(std::move(destination), *commit);
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

void FileCoder::Place(std::unique_ptr<ReplacingFile> destination, CommitMode mode) {
    if (m_group != nullptr) {
        m_group->Add(std::move(destination), mode);
    } else {
        destination->Commit(mode);
    }
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
