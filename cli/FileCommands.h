#pragma once
// velt-cli encode-file / restore-file: coded files on the command line.

#include <chrono>
#include <iosfwd>
#include <span>
#include <string_view>

namespace velt::cli {

/// Where a file command talks to its user.
struct Console {
    std::istream& in;
    std::ostream& out;
    std::ostream& err;
    bool inIsTerminal = false;                    ///< only then is the user asked before a file is replaced
    bool errIsTerminal = false;                   ///< only then is a progress line drawn
    std::chrono::milliseconds progressDelay{400}; ///< quicker files show no progress
};

/// `encode-file [--key FILE] [--ref-file FILE] [--force] FILE...`: each FILE into FILE.JPG.
/// Returns 0 when every file was converted, 1 when any failed or was skipped, 2 on bad usage.
int RunEncodeFile(std::span<char* const> args, Console& console);

/// `restore-file [--key FILE] [--ref-file FILE] [--force] FILE...`: each coded FILE back into
/// FILE less its last four characters. Exit status as RunEncodeFile.
int RunRestoreFile(std::span<char* const> args, Console& console);

} // namespace velt::cli
