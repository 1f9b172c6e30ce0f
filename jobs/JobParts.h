#pragma once
// What the file window and the folder window share: the START button, the leave
// toolbar and the way back to the main window.

#include "platform/SkippedStep.h"
#include "platform/WindowTexts.h"

#include <QLabel>
#include <QPointer>
#include <QString>

class QAction;
class QMainWindow;
class QWidget;

namespace velt {
class GlossButton;
}

namespace velt::jobs {

/// The toolbar key (and action name) of the leave button.
extern const QString kLeaveKey;

/// The START button of the job windows: Tahoma 9 pt, the blue button colours, no hand cursor.
GlossButton* MakeStartButton(const QString& name, bool enabled, QWidget* parent);

/// `caption` on `start`, its first plain Latin letter the access key (Alt and that letter, in either
/// language on a US keyboard).
void SetStartCaption(GlossButton& start, const QString& caption);

/// The panel `name` holding `start` centred across its width.
QWidget* StartPanel(const QString& name, QWidget* start, QWidget* parent);

/// Adds the toolbar `name` with its one button "Kilépés" to `window`; returns its action.
QAction* AddLeaveToolbar(QMainWindow& window, const QString& name);

/// Gives the leave button the first icon of the job windows' strip, magenta transparent.
void SetLeaveIcon(QAction& leave);

/// Calls `apply` with the text in `language`; does nothing for a language without texts.
template <class Apply> void WithText(platform::WindowTextId id, Language language, Apply apply) {
    if (const auto text = Text(id, language)) {
        apply(QString::fromUtf8(text->data(), static_cast<qsizetype>(text->size())));
    }
}

/// Runs one step of a window's load; a step that fails is logged and skipped, and the load goes on.
template <class Step> void LoadStep(Step step) {
    platform::RunOrSkip("A step of a job window's load", step);
}

/// A label for a path: shown whole when it fits, else elided in the middle, never widening its
/// window; the whole path is in its tooltip. Always plain text.
class PathLabel final : public QLabel {
public:
    explicit PathLabel(const QString& name, QWidget* parent);
    void SetPath(const QString& path);
    /// A sentence instead of a path: shown whole, wrapped at the label's width, without tooltip.
    void SetNote(const QString& note);

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    void Elide();
    QString m_path;
};

/// Shows the main window again, when it still exists.
void ShowMainWindow(const QPointer<QWidget>& mainWindow);

} // namespace velt::jobs
