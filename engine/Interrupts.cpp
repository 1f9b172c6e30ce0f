#include "engine/Interrupts.h"

#include <climits>
#include <csignal>
#include <cstring>
#include <unistd.h>

namespace velt {
namespace {

// Signal handlers can only reach process-wide storage; this is the one place Velt keeps it.
// The name is complete before `live` is set, and `live` is cleared before the name changes.
char g_name[PATH_MAX];
volatile std::sig_atomic_t g_live = 0;

extern "C" void RemoveTemporaryAndExit(int signal) {
    if (g_live != 0) {
        ::unlink(g_name);
    }
    // SA_RESETHAND restored the default action: die of the same signal, as the caller expects.
    ::raise(signal);
}

class SignalRegistry final : public ITemporaryFiles {
public:
    void Created(const std::string& path) override {
        g_live = 0;
        if (path.size() < sizeof g_name) {
            std::memcpy(g_name, path.c_str(), path.size() + 1);
            g_live = 1;
        }
    }
    void Gone() override { g_live = 0; }
};

} // namespace

ITemporaryFiles& InstallInterruptCleanup() {
    static SignalRegistry registry;
    static const bool installed = [] {
        struct sigaction action {};
        action.sa_handler = RemoveTemporaryAndExit;
        action.sa_flags = SA_RESETHAND;
        sigemptyset(&action.sa_mask);
        for (const int signal : {SIGINT, SIGTERM, SIGHUP}) {
            struct sigaction old {};
            // A signal the caller chose to ignore (nohup, a background job) stays ignored.
            if (::sigaction(signal, nullptr, &old) == 0 && old.sa_handler != SIG_IGN) {
                ::sigaction(signal, &action, nullptr);
            }
        }
        std::signal(SIGXFSZ, SIG_IGN);
        return true;
    }();
    static_cast<void>(installed);
    return registry;
}

} // namespace velt
