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
#include "engine/Workers.h"

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <filesystem>
#include <functional>
#include <istream>
#include <optional>
#include <ostream>
#include <sstream>
#include <string>
#include <sys/prctl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <unordered_map>
#include <unordered_set>
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

/// Most files in one group: each group costs two flushes of the file system.
constexpr std::size_t kGroupFiles = 1024;

/// A group holds one open file per member: a quarter of what the process may open, at most
/// kGroupFiles. The usual soft limit of 1024 open files is raised towards the hard one first.
std::size_t GroupLimit() {
    struct rlimit limit {};
    if (::getrlimit(RLIMIT_NOFILE, &limit) != 0 || limit.rlim_cur == RLIM_INFINITY) {
        return kGroupFiles;
    }
    if (limit.rlim_cur < 4 * kGroupFiles && limit.rlim_max > limit.rlim_cur) {
        struct rlimit raised = limit;
        raised.rlim_cur = std::min<rlim_t>(limit.rlim_max, 4 * kGroupFiles);
        if (::setrlimit(RLIMIT_NOFILE, &raised) == 0) {
            limit = raised;
        }
    }
    return std::clamp<std::size_t>(static_cast<std::size_t>(limit.rlim_cur) / 4, 1, kGroupFiles);
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

/// What every file of one command is converted with.
struct FileJob {
    Direction direction;
    std::filesystem::path key;
    std::int16_t keyLength;
    std::string reference;
    bool force;
};

/// Where the result line of each file goes, in the order of the files.
using EmitLine = std::function<void(bool failed, const std::string& text)>;

/// Result lines straight to the console: converted files to out, the others to err.
EmitLine ToConsole(Console& console) {
    return [&console](bool failed, const std::string& text) { (failed ? console.err : console.out) << text << '\n'; };
}

/// Converts `files` in turn, one result line each; returns the exit status.
int ConvertFiles(const FileJob& job, std::span<const std::filesystem::path> files, Console& console,
                 const EmitLine& emit) {
    FixedReferenceText referenceText(job.reference);
    ConsoleMessages messages(console, job.force);
    ConsoleProgress progress(console);
    AppState state(job.key.has_parent_path() ? job.key.parent_path() : std::filesystem::path("."),
                   Services{.progress = &progress,
                            .messages = &messages,
                            .reference = &referenceText,
                            .temporaries = &InstallInterruptCleanup()});
    state.keyFileName = job.key.filename().string();
    state.keyLength = job.keyLength;

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
            emit(line.failed, line.text);
        }
        lines.clear();
    };
    messages.BeforeAsking(commitGroup);
    const std::size_t groupLimit = GroupLimit();
    if (files.size() > 1) {
        coder.DeferCommits(&group);
    }
    const Direction direction = job.direction;
    for (std::size_t k = 0; k < files.size(); ++k) {
        const std::filesystem::path& file = files[k];
        if (group.Size() > 0 && group.Holds(DestinationOf(direction, file))) {
            commitGroup(); // the same name twice: the second finds the first in place, as without groups
        }
        state.sourcePath = file;
        progress.SetLabel(DisplayPath(file));
        const std::size_t waiting = group.Size();
        if (direction == Direction::Encode && files.size() > 1) {
            coder.EncodeAhead(files.subspan(k));
        }
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

/// From this many files on, a second process converts the later half: each file costs more in
/// the file system than in coding, and two cores make their calls side by side.
constexpr std::size_t kTwoWorkersFrom = 64;

/// Whether no file is named twice, as a source or as a result, also through linked folders:
/// only then can two processes convert them in any order and leave what one would.
bool EachNameOnce(Direction direction, const std::vector<std::filesystem::path>& files) {
    std::unordered_map<std::string, std::string> folders; // as given -> as it really is
    std::unordered_set<std::string> names;
    const auto once = [&](const std::filesystem::path& name) {
        const std::string given = name.parent_path().string();
        auto folder = folders.find(given);
        if (folder == folders.end()) {
            std::error_code error;
            const auto real = std::filesystem::canonical(given.empty() ? "." : given, error);
            if (error) {
                return false;
            }
            folder = folders.emplace(given, real.string()).first;
        }
        return names.insert(folder->second + '/' + name.filename().string()).second;
    };
    for (const auto& file : files) {
        const auto destination = DestinationOf(direction, file);
        if (destination.empty() || file.filename().empty() || !once(file) || !once(destination)) {
            return false;
        }
    }
    return true;
}

/// Writes all of `bytes` to `fd`; false when the reader has gone.
bool WriteAll(int fd, std::string_view bytes) {
    while (!bytes.empty()) {
        const ssize_t put = ::write(fd, bytes.data(), bytes.size());
        if (put < 0 && errno == EINTR) {
            continue;
        }
        if (put <= 0) {
            return false;
        }
        bytes.remove_prefix(static_cast<std::size_t>(put));
    }
    return true;
}

/// ConvertFiles with the later half of `files` in a child process, which sends its result lines
/// here; they are printed after those of the first half, so the lines keep the order of the
/// files. Files of the child that have no line (it ended abnormally) are reported as failed:
/// their results were never given their names.
int ConvertInTwo(const FileJob& job, std::span<const std::filesystem::path> files, Console& console) {
    const EmitLine toConsole = ToConsole(console);
    const std::size_t half = files.size() / 2;
    int lines[2];
    console.out.flush();
    console.err.flush();
    if (::pipe2(lines, O_CLOEXEC) != 0) {
        return ConvertFiles(job, files, console, toConsole);
    }
    const pid_t child = ::fork();
    if (child < 0) {
        ::close(lines[0]);
        ::close(lines[1]);
        return ConvertFiles(job, files, console, toConsole);
    }
    if (child == 0) {
        // Its own random source and key come with its own state, made here after the fork. It
        // ends with the parent, removing what it was writing as on an interrupt.
        ::prctl(PR_SET_PDEATHSIG, SIGTERM);
        ::close(lines[0]);
        int status = kExitFailure;
        try {
            std::istringstream noInput;
            std::ostringstream unused;
            Console quiet{noInput, unused, unused};
            status = ConvertFiles(job, files.subspan(half), quiet, [&](bool failed, const std::string& text) {
                WriteAll(lines[1], std::string(1, failed ? 'E' : 'O') + text + '\n');
            });
        } catch (...) {
        }
        ::_exit(status);
    }
    ::close(lines[1]);
    // Read while the first half runs: the child must never wait for room in the pipe.
    std::string received;
    std::thread reader([&received, from = lines[0]] {
        char buffer[65536];
        for (;;) {
            const ssize_t got = ::read(from, buffer, sizeof buffer);
            if (got < 0 && errno == EINTR) {
                continue;
            }
            if (got <= 0) {
                return;
            }
            received.append(buffer, static_cast<std::size_t>(got));
        }
    });
    int status = kExitFailure;
    try {
        status = ConvertFiles(job, files.first(half), console, toConsole);
    } catch (...) {
        ::kill(child, SIGTERM);
        reader.join();
        ::close(lines[0]);
        ::waitpid(child, nullptr, 0);
        throw;
    }
    reader.join();
    ::close(lines[0]);
    int childStatus = 0;
    while (::waitpid(child, &childStatus, 0) < 0 && errno == EINTR) {
    }
    std::size_t shown = 0;
    for (std::size_t at = 0; at < received.size();) {
        const std::size_t end = received.find('\n', at);
        if (end == std::string::npos) {
            break; // a line cut short by an abnormal end
        }
        toConsole(received[at] == 'E', received.substr(at + 1, end - at - 1));
        at = end + 1;
        ++shown;
    }
    for (std::size_t k = half + shown; k < files.size(); ++k) {
        toConsole(true, "velt-cli: failed " + DisplayPath(files[k]) + ": its worker process ended before it");
    }
    const bool childFine = WIFEXITED(childStatus) && WEXITSTATUS(childStatus) == kExitOk;
    console.out.flush();
    return status == kExitOk && childFine && half + shown == files.size() ? kExitOk : kExitFailure;
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
    std::vector<std::filesystem::path> files(options.Operands().begin(), options.Operands().end());
    const FileJob job{direction, key, keyLength, reference, options.Has("force")};
    if (files.size() >= kTwoWorkersFrom && UsefulCores() > 1 && (job.force || !console.inIsTerminal) &&
        EachNameOnce(direction, files)) {
        return ConvertInTwo(job, files, console);
    }
    return ConvertFiles(job, files, console, ToConsole(console));
}

} // namespace

int RunEncodeFile(std::span<char* const> args, Console& console) {
    return Run(Direction::Encode, args, console);
}

int RunRestoreFile(std::span<char* const> args, Console& console) {
    return Run(Direction::Restore, args, console);
}

} // namespace velt::cli
