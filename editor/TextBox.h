#pragma once

#include <QPlainTextEdit>
#include <vector>

namespace velt::editor {

/// One of the editor's boxes. A text with a very long line (an armoured text is one line of
/// millions of digits) would take the toolkit seconds to lay out, so such a text is held
/// whole but drawn by the box itself, row by row, only where it is visible. The text is then
/// shown, scrolled, saved and printed, but not edited; the box's own document stays empty.
class TextBox final : public QPlainTextEdit {
    Q_OBJECT
    /// The whole text, drawn or laid out.
    Q_PROPERTY(QString wholeText READ Text)
public:
    using QPlainTextEdit::QPlainTextEdit;

    /// Replaces the whole text; a long one is only drawn, not laid out.
    void SetText(const QString& text);
    /// The whole text, line breaks as "\n".
    QString Text() const;
    /// True while the box draws a long text itself.
    bool Drawn() const { return m_drawn; }

    /// A text with a line longer than this, or longer than kMostLaidOut as a whole, is drawn.
    static constexpr qsizetype kLongestLaidOutLine = 10'000;
    static constexpr qsizetype kMostLaidOut = qsizetype{1} << 20;

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void scrollContentsBy(int dx, int dy) override;
    void keyPressEvent(QKeyEvent* event) override;
    void inputMethodEvent(QInputMethodEvent* event) override;
    void insertFromMimeData(const QMimeData* source) override;

private:
    /// Characters per row and the first row of each line, for the current width.
    void Measure();
    int Columns() const;

    bool m_drawn = false;
    QString m_text;                       // the drawn text
    std::vector<qsizetype> m_lineStarts;  // where each line of the drawn text begins
    std::vector<qsizetype> m_firstRows;   // the first row of each line at the current width
    qsizetype m_rows = 0;
};

} // namespace velt::editor
