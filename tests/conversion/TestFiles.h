#pragma once
// File helpers for the conversion tests, on top of the engine's fakes.

#include "tests/engine/Fakes.h"

#include <csignal>
#include <sys/resource.h>

namespace velt::test {

/// Runs `action` while no file may grow past `bytes`: writes beyond fail with EFBIG as on a full disk.
template <class Action> void WithFileSizeLimit(rlim_t bytes, Action action) {
    const auto handler = std::signal(SIGXFSZ, SIG_IGN);
    rlimit old{};
    ::getrlimit(RLIMIT_FSIZE, &old);
    const rlimit lowered{bytes, old.rlim_max};
    ::setrlimit(RLIMIT_FSIZE, &lowered);
    action();
    ::setrlimit(RLIMIT_FSIZE, &old);
    std::signal(SIGXFSZ, handler);
}

/// Every byte value many times over in `records` * 258 bytes (the records of a test key).
inline std::string AllByteValues(int records) {
    const auto bytes = KeyBytes(records);
    return {bytes.begin(), bytes.end()};
}

} // namespace velt::test
