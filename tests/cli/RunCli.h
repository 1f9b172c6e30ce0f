#pragma once
// Runs the velt-cli program itself in a test folder.

#include "tests/engine/Fakes.h"

#include <cstdlib>
#include <string>
#include <sys/wait.h>

namespace velt::test {

struct Outcome {
    int status = -1;
    std::string out, err;
    /// One line on stderr, as every failure should give.
    bool OneErrorLine() const { return !err.empty() && err.find('\n') == err.size() - 1; }
};

/// Runs `script` with bash in `folder`, velt-cli as "$VELT"; its exit status, or 128 + the signal.
inline int RunBash(const TempFolder& folder, const std::string& script) {
    WriteFile(folder / ".script", script);
    const std::string command =
        "cd '" + folder.Path().string() + "' && VELT='" VELT_CLI "' bash .script; s=$?; rm -f .script; exit $s";
    const int raw = std::system(command.c_str());
    return WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
}

/// Runs velt-cli with `args` in `folder`, `input` on its standard input.
inline Outcome RunCli(const TempFolder& folder, const std::string& args, const std::string& input = "") {
    WriteFile(folder / ".in", input);
    const int status = RunBash(folder, "\"$VELT\" " + args + " <.in >.out 2>.err");
    Outcome outcome{status, ReadFile(folder / ".out"), ReadFile(folder / ".err")};
    for (const char* name : {".in", ".out", ".err"}) {
        std::filesystem::remove(folder / name);
    }
    return outcome;
}

} // namespace velt::test
