#include "cli/FileCommands.h"

#include "cli/CodingInputs.h"
#include "cli/DefaultKey.h"
#include "cli/Options.h"
#include "conversion/FileCoder.h"
#include "engine/AppState.h"
#include "engine/Errors.h"
#include "engine/FileStreams.h"
#include "engine/Interrupts.h"
#include "engine/SystemServices.h"
#include "engine/Texts.h"

#include <algorithm>
#include <filesystem>
#include <functional>
#include <istream>
#include <optional>
#include <ostream>
#include <string>
#include <sys/resource.h>
#include <utility>
#include <vector>

namespace velt::cli {
namespace {

constexpr std::string_view kOptionsHelp =
    "  --key FILE       the key file (default: KEY.ORB here, else in Velt's folder; see velt-cli --help)\n"
    "  --ref-file FILE  the reference text: the file's whole content without a final line end\n"
    "  --force          replace existing results without asking\n"
    "\n"
    "An existing result is replaced only with --force or after a 'y' typed at a terminal;\n"
    "otherwise that file is skipped. The exit status is 1 when any file failed or was skipped.\n";

// Copied rather than replaced in place: GCC 12 at -O3 warns falsely (-Wrestrict) on replace().
std::string OneLine(const std::string& text) {
    std::string line;
    line.reserve(text.size());
    for (std::size_t at = 0; at < text.size(); ++at) {
        if (text.compare(at, 2, "\r\n") == 0) {
            line += ' ';
            ++at;
        } else {
            line += text[at];
        }
    }
    return line;
}

/// Answers the overwrite question from --force or the terminal, and keeps what the
/// coder reported for the file's result line.
class ConsoleMessages final : public IMessages {
public:
    ConsoleMessages(Console& console, bool force) : m_console(console), m_force(force) {}
    /// Runs before a question at the terminal, so that the lines of the files before it come first.
    void BeforeAsking(std::function<void()> action) { m_beforeAsking = std::move(action); }

    MessageAnswer Show(const Message& message) override {
        if (message.buttons != MessageButtons::YesNo) {
            m_note = OneLine(message.text);
            return MessageAnswer::Ok;
        }
        if (m_force) {
            return MessageAnswer::Yes;
        }
        if (!m_console.inIsTerminal) {
            m_note = "it exists (use --force to replace it)";
            return MessageAnswer::No;
        }
        if (m_beforeAsking) {
            m_beforeAsking();
        }
        m_console.err << "velt-cli: " << OneLine(message.text) << " [y/N] " << std::flush;
        std::string line;
        if (!std::getline(m_console.in, line)) {
            m_console.err << '\n';
        }
        const auto first = line.find_first_not_of(" \t");
        const bool yes = first != std::string::npos && (line[first] == 'y' || line[first] == 'Y');
        m_note = "kept as it was";
        return yes ? MessageAnswer::Yes : MessageAnswer::No;
    }

    /// What was said about the file since the last call.
    std::string TakeNote() { return std::exchange(m_note, {}); }

private:
    Console& m_console;
    bool m_force;
    std::string m_note;
    std::function<void()> m_beforeAsking;
};

/// A progress line on a terminal, only for work that takes more than a moment.
class ConsoleProgress final : public IProgress {
public:
    explicit ConsoleProgress(Console& console) : m_console(console) {}
    void SetLabel(std::string label) { m_label = std::move(label); }

    void Begin(std::int64_t maximum, std::string_view) override {
        m_maximum = maximum;
        m_start = std::chrono::steady_clock::now();
        m_shown = -1;
    }
    void Update(std::int64_t value) override {
        if (!m_console.errIsTerminal || m_maximum <= 0 ||
            std::chrono::steady_clock::now() - m_start < m_console.progressDelay) {
            return;
        }
        const int percent = static_cast<int>(std::clamp<std::int64_t>(value * 100 / m_maximum, 0, 100));
        if (percent != m_shown) {
            m_console.err << "\rvelt-cli: " << m_label << " " << percent << "%" << std::flush;
            m_shown = percent;
        }
    }
    void End() override {
        if (m_shown >= 0) {
            m_console.err << "\r\x1b[K" << std::flush;
            m_shown = -1;
        }
    }

private:
    Console& m_console;
    std::string m_label;
    std::int64_t m_maximum = 0;
    std::chrono::steady_clock::time_point m_start;
    int m_shown = -1;
};

enum class Direction { Encode, Restore };

/// A group holds one open file per member: a quarter of what the process may open, at most 256.
std::size_t GroupLimit() {
    struct rlimit limit {};
    if (::getrlimit(RLIMIT_NOFILE, &limit) != 0 || limit.rlim_cur == RLIM_INFINITY) {
        return 256;
    }
    return std::clamp<std::size_t>(static_cast<std::size_t>(limit.rlim_cur) / 4, 1, 256);
}

/// Large files gain nothing from waiting for each other; their lines come sooner this way.
constexpr std::uint64_t kGroupBytes = std::uint64_t{64} << 20;

/// The name the conversion of `file` writes, or an empty path when it has none.
std::filesystem::path DestinationOf(Direction direction, const std::filesystem::path& file) {
    if (direction == Direction::Encode) {
        return CodedFileName(file);
    }
    try {
        return RestoredFileName(file);
    } catch (const VeltError&) {
        return {};
    }
}

int Run(Direction direction, std::span<char* const> args, Console& console) {
    const std::string_view command = direction == Direction::Encode ? "encode-file" : "restore-file";
    std::optional<Options> parsed;
    try {
        parsed.emplace(
            args, std::initializer_list<AcceptedOption>{{"key", true}, {"ref-file", true}, {"force", false}},
            true);
        if (!parsed->Help() && parsed->Operands().empty()) {
            throw UsageError("no file given");
        }
    } catch (const UsageError& error) {
        console.err << "velt-cli " << command << ": " << error.what() << " (see 'velt-cli " << command
                    << " --help')\n";
        return kExitUsage;
    }
    const Options& options = *parsed;
    if (options.Help()) {
        console.out << "Usage: velt-cli " << command << " [--key FILE] [--ref-file FILE] [--force] FILE...\n"
                    << (direction == Direction::Encode
                            ? "Encodes each FILE into FILE.JPG, a coded file twice its size.\n\n"
                            : "Restores each coded FILE into FILE less its last four characters.\n\n")
                    << kOptionsHelp;
        return kExitOk;
    }
    const auto keyOption = options.Value("key");
    std::filesystem::path key;
    try {
        key = keyOption ? std::filesystem::path(*keyOption) : DefaultKeyFile();
    } catch (const std::runtime_error& refused) {
        console.err << "velt-cli " << command << ": " << refused.what() << '\n';
        return kExitFailure;
    }

    std::string reference;
    std::int16_t keyLength = 0;
    try {
        const auto refFile = options.Value("ref-file");
        reference = refFile ? ReadReference(*refFile) : std::string();
        keyLength = KeyLengthOf(key);
    } catch (const VeltError& error) {
        console.err << "velt-cli " << command << ": " << DescribeError(error, Language::English) << '\n';
        return kExitFailure;
    }
    FixedReferenceText referenceText(std::move(reference));
    ConsoleMessages messages(console, options.Has("force"));
    ConsoleProgress progress(console);
    AppState state(key.has_parent_path() ? key.parent_path() : std::filesystem::path("."),
                   Services{.progress = &progress,
                            .messages = &messages,
                            .reference = &referenceText,
                            .temporaries = &InstallInterruptCleanup()});
    state.keyFileName = key.filename().string();
    state.keyLength = keyLength;

    FileCoder coder(state);
    int status = kExitOk;
    // Many files are put in place in groups (see CommitGroup); a file's line is printed once its
    // group has been placed, in the order of the operands.
    CommitGroup group;
    struct Line {
        bool failed;
        std::string text;
        std::string file;
    };
    std::vector<Line> lines;
    std::vector<std::size_t> pending; // lines of files waiting in the group
    const auto commitGroup = [&] {
        const auto results = group.Commit();
        for (std::size_t i = 0; i < results.size(); ++i) {
            if (results[i]) {
                Line& line = lines[pending[i]];
                line.failed = true;
                line.text =
                    "velt-cli: failed " + line.file + ": " + DescribeError(*results[i], Language::English);
                status = kExitFailure;
            }
        }
        pending.clear();
        for (const Line& line : lines) {
            (line.failed ? console.err : console.out) << line.text << '\n';
        }
        lines.clear();
    };
    messages.BeforeAsking(commitGroup);
    const std::size_t groupLimit = GroupLimit();
    if (options.Operands().size() > 1) {
        coder.DeferCommits(&group);
    }
    for (const std::filesystem::path file : options.Operands()) {
        if (group.Size() > 0 && group.Holds(DestinationOf(direction, file))) {
            commitGroup(); // the same name twice: the second finds the first in place, as without groups
        }
        state.sourcePath = file;
        progress.SetLabel(DisplayPath(file));
        const std::size_t waiting = group.Size();
        const FileOutcome outcome = direction == Direction::Encode ? coder.EncodeFile() : coder.RestoreFile();
        const std::string note = messages.TakeNote();
        switch (outcome) {
        case FileOutcome::Converted:
            if (group.Size() > waiting) {
                pending.push_back(lines.size());
            }
            lines.push_back({false,
                             std::string(direction == Direction::Encode ? "encoded " : "restored ") +
                                 DisplayPath(file) + " -> " + DisplayPath(state.destinationPath),
                             DisplayPath(file)});
            break;
        case FileOutcome::Declined:
            lines.push_back({true,
                             "velt-cli: skipped " + DisplayPath(file) + ": " +
                                 DisplayPath(state.destinationPath) + ' ' + note,
                             {}});
            status = kExitFailure;
            break;
        case FileOutcome::Failed:
        case FileOutcome::Cancelled: // not from the console, which offers no Cancel
            lines.push_back({true, "velt-cli: failed " + DisplayPath(file) + ": " + note, {}});
            status = kExitFailure;
            break;
        }
        if (group.Size() >= groupLimit || group.Bytes() >= kGroupBytes || group.Size() == 0) {
            commitGroup();
        }
    }
    commitGroup();
    console.out.flush();
    return status;
}

} // namespace

int RunEncodeFile(std::span<char* const> args, Console& console) {
    return Run(Direction::Encode, args, console);
}

int RunRestoreFile(std::span<char* const> args, Console& console) {
    return Run(Direction::Restore, args, console);
}

} // namespace velt::cli
