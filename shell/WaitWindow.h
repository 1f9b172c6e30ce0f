#pragma once

#include "Platform.h"

#include <QElapsedTimer>
#include <QPointer>
#include <QWidget>

class QProgressBar;

namespace velt {
class AppState;
}

namespace velt::shell {

/// The wait window `Form5`: a caption and the progress bar `ProgressBar1`.
class WaitWindow final : public QWidget {
    Q_OBJECT
public:
    /// Captioned in `language` (0 English, 1 Hungarian); any other value keeps the design caption.
    explicit WaitWindow(std::uint8_t language, QWidget* parent = nullptr);
    QProgressBar* Bar() const { return m_bar; }

private:
    QProgressBar* m_bar;
};

/// Long operations report through this: Begin creates and shows the wait window,
/// Update moves its bar, End closes it.
class WaitProgress final : public IProgress {
public:
    explicit WaitProgress(const AppState& state);
    ~WaitProgress() override;
    WaitProgress(const WaitProgress&) = delete;
    WaitProgress& operator=(const WaitProgress&) = delete;

    void Begin(std::int64_t maximum, std::string_view caption) override;
    void Update(std::int64_t value) override;
    void End() override;

    /// The open wait window, or null.
    WaitWindow* Window() const { return m_window; }

private:
    void LetEventsRun();

    const AppState& m_state;
    QPointer<WaitWindow> m_window;
    std::int64_t m_divisor = 1;
    QElapsedTimer m_sinceEvents;
};

} // namespace velt::shell
