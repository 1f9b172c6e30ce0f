#pragma once

#include <cstdint>
#include <string_view>

#include "engine/Platform.h"

namespace velt {

/// Whether the user may stop the work (the wait window offers Cancel).
enum class Stoppable { No, Yes };

/// Drives the wait window from a hot loop without a virtual call per unit:
/// the window hears about every `stride`-th unit and the last one.
class ProgressTicker final {
public:
    ProgressTicker(IProgress& progress, std::int64_t maximum, std::string_view caption = {},
                   Stoppable stoppable = Stoppable::No)
        : m_progress(progress), m_maximum(maximum), m_stride(StrideFor(maximum)), m_next(1),
          m_stoppable(stoppable == Stoppable::Yes) {
        if (m_stoppable) {
            m_progress.BeginCancellable(maximum, caption);
        } else {
            m_progress.Begin(maximum, caption);
        }
    }
    ~ProgressTicker() { m_progress.End(); }
    ProgressTicker(const ProgressTicker&) = delete;
    ProgressTicker& operator=(const ProgressTicker&) = delete;

    /// Unit `value` (1-based) is being processed.
    /// Throws WorkCancelled when the user has stopped stoppable work.
    void Tick(std::int64_t value) {
        if (value >= m_next || value == m_maximum) {
            m_progress.Update(value);
            m_next = value + m_stride;
            if (m_stoppable && m_progress.Cancelled()) {
                throw WorkCancelled{};
            }
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
    /// About 200 reports over the work, but never more than kMaxStride units apart, so that
    /// the wait window stays responsive (and a cancel quick) on very large files.
    static constexpr std::int64_t kMaxStride = std::int64_t{1} << 18;
    static std::int64_t StrideFor(std::int64_t maximum) {
        const std::int64_t share = maximum / 200;
        return share < 256 ? 256 : (share > kMaxStride ? kMaxStride : share);
    }

    IProgress& m_progress;
    std::int64_t m_maximum;
    std::int64_t m_stride;
    std::int64_t m_next;
    bool m_stoppable;
};

} // namespace velt
