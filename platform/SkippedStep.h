#pragma once

#include <QtGlobal>
#include <exception>

namespace velt::platform {

/// Runs `step`; a failure is logged with its reason and skipped, so that the caller goes on
/// (a window that loads, a toolbar that stays usable).
template <class Step> void RunOrSkip(const char* what, Step&& step) {
    try {
        step();
    } catch (const std::exception& failure) {
        qWarning("%s skipped: %s", what, failure.what());
    }
}

} // namespace velt::platform
