#pragma once

#include <cstdint>
#include <string_view>

#include "Platform.h"

namespace velt {

/// Drives the wait window from a hot loop without a virtual call per unit:
/// the window hears about every `stride`-th unit and the last one.
class ProgressTicker final {
public:
    ProgressTicker(IProgress& progress, std::int64_t maximum, std::string_view caption = {})
        : m_progress(progress), m_maximum(maximum),
          m_stride(maximum / 200 > 256 ? maximum / 200 : 256), m_next(1) {
        m_progress.Begin(maximum, caption);
    }
    ~ProgressTicker() { m_progress.End(); }
    ProgressTicker(const ProgressTicker&) = delete;
    ProgressTicker& operator=(const ProgressTicker&) = delete;

    /// Unit `value` (1-based) is being processed.
    void Tick(std::int64_t value) {
        if (value >= m_next || value == m_maximum) {
            m_progress.Update(value);
            m_next = value + m_stride;
        }
    }

    /// Units `first`, `first` + 1, ... are next, at most `most` of them: reports `first` when
    /// due and returns how many of them (at least one) run before another report is due.
    std::int64_t Run(std::int64_t first, std::int64_t most) {
        Tick(first);
        const std::int64_t due = m_next < m_maximum ? m_next : m_maximum;
        const std::int64_t before = due - first;
        return before < 1 ? 1 : (before < most ? before : most);
    }

private:
    IProgress& m_progress;
    std::int64_t m_maximum;
    std::int64_t m_stride;
    std::int64_t m_next;
};

} // namespace velt
