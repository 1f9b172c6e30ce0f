// velt-cli: the command-line companion of Velt.
#include "cli/Commands.h"
#include "cli/DefaultKey.h"
#include "cli/FileCommands.h"
#include "cli/Options.h"
#include "cli/TextCommands.h"
#include "engine/Interrupts.h"

#include <cstdio>
#include <iostream>
#include <span>
#include <string_view>
#include <unistd.h>

namespace {

struct Command {
    std::string_view name;
    int (*run)(std::span<char* const> args);
    std::string_view summary;
};

/// Runs a command that reads standard input and writes standard output as streams.
int WithStreams(std::span<char* const> args,
                int (*run)(std::span<char* const>, std::istream&, std::ostream&, std::ostream&)) {
    std::ios::sync_with_stdio(false);
    return run(args, std::cin, std::cout, std::cerr);
}

int Encode(std::span<char* const> args) {
    return WithStreams(args, velt::cli::RunEncode);
}
int Decode(std::span<char* const> args) {
    return WithStreams(args, velt::cli::RunDecode);
}

/// Runs a file command; it asks before replacing a file only when a user sits at the terminal.
int WithConsole(std::span<char* const> args, int (*run)(std::span<char* const>, velt::cli::Console&)) {
    velt::cli::Console console{std::cin, std::cout, std::cerr, ::isatty(0) == 1, ::isatty(2) == 1};
    return run(args, console);
}

int EncodeFile(std::span<char* const> args) {
    return WithConsole(args, velt::cli::RunEncodeFile);
}
int RestoreFile(std::span<char* const> args) {
    return WithConsole(args, velt::cli::RunRestoreFile);
}

constexpr Command kCommands[] = {
    {"keygen", velt::cli::Keygen, "form a new key file"},
    {"check", velt::cli::Check, "check a key file and report its key length"},
    {"encode", Encode, "plain text on standard input to armoured coded text"},
    {"decode", Decode, "armoured coded text on standard input to plain text"},
    {"encode-file", EncodeFile, "files to coded files (FILE -> FILE.JPG)"},
    {"restore-file", RestoreFile, "coded files back to the files they came from"},
};

void PrintUsage(std::FILE* to) {
    std::fputs("Usage: velt-cli COMMAND [OPTIONS]\n"
               "Velt's command-line companion.\n\nCommands:\n",
               to);
    for (const Command& command : kCommands) {
        std::fprintf(to, "  %-13.*s %.*s\n", static_cast<int>(command.name.size()), command.name.data(),
                     static_cast<int>(command.summary.size()), command.summary.data());
    }
    std::fputs("\nRun 'velt-cli COMMAND --help' for the options of a command,\n"
               "'velt-cli --version' for the version.\n"
               "\n",
               to);
    std::fputs(velt::cli::kDefaultKeyHelp, to);
    std::fputs("\nExit status: 0 on success, 2 on bad usage, 1 on any other failure\n"
               "(the reason is one line on standard error).\n",
               to);
}

} // namespace

int main(int argc, char** argv) {
    velt::InstallInterruptCleanup();
    const std::span<char* const> args(argv, static_cast<std::size_t>(argc));
    if (args.size() < 2) {
        PrintUsage(stderr);
        return velt::cli::kExitUsage;
    }
    const std::string_view name = args[1];
    if (name == "--help" || name == "-h") {
        PrintUsage(stdout);
        return velt::cli::kExitOk;
    }
    if (name == "--version") {
        std::puts("velt-cli " VELT_VERSION);
        return velt::cli::kExitOk;
    }
    for (const Command& command : kCommands) {
        if (command.name == name) {
            return command.run(args.subspan(2));
        }
    }
    std::fprintf(stderr, "velt-cli: unknown command '%.*s'\n", static_cast<int>(name.size()), name.data());
    return velt::cli::kExitUsage;
}
