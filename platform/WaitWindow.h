#pragma once

#include "engine/Language.h"
#include "engine/Platform.h"

#include <QElapsedTimer>
#include <QPointer>
#include <QWidget>

class QProgressBar;
class QPushButton;

namespace velt {
class AppState;
}

namespace velt::platform {

/// The wait window `Form5`: a caption, the progress bar `ProgressBar1` and, for work the
/// user may stop, the button `Cancel` (Esc does the same).
class WaitWindow final : public QWidget {
    Q_OBJECT
public:
    /// Captioned in `language`; a value without texts keeps the design caption.
    explicit WaitWindow(Language language, QWidget* parent = nullptr);
    QProgressBar* Bar() const { return m_bar; }
    QPushButton* CancelButton() const { return m_cancel; }
    /// Shows or hides the Cancel button; Esc and a close request cancel only while it is shown.
    void SetCancellable(bool cancellable);

Q_SIGNALS:
    void cancelRequested();

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    QProgressBar* m_bar;
    QPushButton* m_cancel;
};

/// Long operations report through this: Begin creates and shows the wait window,
/// Update moves its bar and lets events run, End closes it. While it is open the
/// other windows take no input (it is application-modal); only its Cancel reacts.
class WaitProgress final : public IProgress {
public:
    explicit WaitProgress(const AppState& state);
    ~WaitProgress() override;
    WaitProgress(const WaitProgress&) = delete;
    WaitProgress& operator=(const WaitProgress&) = delete;

    void Begin(std::int64_t maximum, std::string_view caption) override;
    void BeginCancellable(std::int64_t maximum, std::string_view caption) override;
    void Update(std::int64_t value) override;
    void End() override;
    bool Cancelled() const override { return m_cancelled; }

    /// The open wait window, or null.
    WaitWindow* Window() const { return m_window; }

private:
    void Open(std::int64_t maximum, std::string_view caption, bool cancellable);
    void LetEventsRun();

    const AppState& m_state;
    QPointer<WaitWindow> m_window;
    QPointer<QWidget> m_wasActive; ///< the window that had the focus before the wait window took it
    std::int64_t m_divisor = 1;
    QElapsedTimer m_sinceEvents;
    bool m_cancelled = false;
};

} // namespace velt::platform
