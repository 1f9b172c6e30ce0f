#include "editor/TextBox.h"

#include <QKeyEvent>
#include <QMimeData>
#include <QPainter>
#include <QScrollBar>
#include <algorithm>
#include <climits>
#include <utility>

namespace velt::editor {
namespace {
using namespace Qt::StringLiterals;

/// Where each line of `text` begins, or nothing when the text is short enough to lay out.
std::vector<qsizetype> LinesToDraw(const QString& text) {
    std::vector<qsizetype> starts{0};
    qsizetype longest = 0;
    for (qsizetype at = text.indexOf(u'\n'); at >= 0; at = text.indexOf(u'\n', at + 1)) {
        longest = std::max(longest, at - starts.back());
        starts.push_back(at + 1);
    }
    longest = std::max(longest, text.size() - starts.back());
    if (longest <= TextBox::kLongestLaidOutLine && text.size() <= TextBox::kMostLaidOut) {
        return {};
    }
    return starts;
}

} // namespace

void TextBox::SetText(const QString& text) {
    std::vector<qsizetype> lines = LinesToDraw(text);
    if (lines.empty()) {
        m_drawn = false;
        m_text.clear();
        m_lineStarts.clear();
        setPlainText(text);
        return;
    }
    setPlainText(QString());
    m_drawn = true;
    m_text = text;
    m_lineStarts = std::move(lines);
    Measure();
    verticalScrollBar()->setValue(0);
    viewport()->update();
}

QString TextBox::Text() const {
    return m_drawn ? m_text : toPlainText();
}

int TextBox::Columns() const {
    // Fractional advances add up over a row of a hundred digits.
    const qreal advance = std::max<qreal>(1.0, QFontMetricsF(font()).horizontalAdvance(u'0'));
    const int columns = std::max(2, static_cast<int>((viewport()->width() - 8) / advance));
    return columns - columns % 2; // a coded character's two digits stay on one row
}

void TextBox::Measure() {
    const qsizetype columns = Columns();
    m_firstRows.resize(m_lineStarts.size());
    qsizetype row = 0;
    for (std::size_t line = 0; line < m_lineStarts.size(); ++line) {
        m_firstRows[line] = row;
        const qsizetype end = line + 1 < m_lineStarts.size() ? m_lineStarts[line + 1] - 1 : m_text.size();
        row += std::max<qsizetype>(1, (end - m_lineStarts[line] + columns - 1) / columns);
    }
    m_rows = row;
    const int visible = std::max(1, viewport()->height() / fontMetrics().lineSpacing());
    QScrollBar* bar = verticalScrollBar();
    bar->setRange(0, static_cast<int>(std::clamp<qsizetype>(m_rows - visible, 0, INT_MAX)));
    bar->setPageStep(visible);
    bar->setSingleStep(1);
}

void TextBox::paintEvent(QPaintEvent* event) {
    if (!m_drawn) {
        QPlainTextEdit::paintEvent(event);
        return;
    }
    QPainter painter(viewport());
    painter.fillRect(event->rect(), palette().brush(QPalette::Base));
    painter.setPen(palette().color(QPalette::Text));
    painter.setFont(font());
    const QFontMetrics metrics = fontMetrics();
    const qsizetype columns = Columns();
    const int spacing = metrics.lineSpacing();
    const int rows = viewport()->height() / spacing + 1;
    const qsizetype first = verticalScrollBar()->value();
    for (int r = 0; r < rows && first + r < m_rows; ++r) {
        const qsizetype row = first + r;
        const auto line = static_cast<std::size_t>(
            std::upper_bound(m_firstRows.begin(), m_firstRows.end(), row) - m_firstRows.begin() - 1);
        const qsizetype end = line + 1 < m_lineStarts.size() ? m_lineStarts[line + 1] - 1 : m_text.size();
        const qsizetype from = m_lineStarts[line] + (row - m_firstRows[line]) * columns;
        const QString shown = m_text.mid(from, std::min(columns, end - from));
        painter.drawText(4, 4 + r * spacing + metrics.ascent(), shown);
    }
}

void TextBox::resizeEvent(QResizeEvent* event) {
    QPlainTextEdit::resizeEvent(event);
    if (m_drawn) {
        Measure();
    }
}

void TextBox::scrollContentsBy(int dx, int dy) {
    if (m_drawn) {
        viewport()->update();
        return;
    }
    QPlainTextEdit::scrollContentsBy(dx, dy);
}

void TextBox::keyPressEvent(QKeyEvent* event) {
    if (!m_drawn) {
        QPlainTextEdit::keyPressEvent(event);
        return;
    }
    // A drawn text is read and scrolled; in a writable box it is replaced or removed whole.
    static constexpr std::pair<QKeySequence::StandardKey, QAbstractSlider::SliderAction> kScrolls[] = {
        {QKeySequence::MoveToNextPage, QAbstractSlider::SliderPageStepAdd},
        {QKeySequence::MoveToPreviousPage, QAbstractSlider::SliderPageStepSub},
        {QKeySequence::MoveToNextLine, QAbstractSlider::SliderSingleStepAdd},
        {QKeySequence::MoveToPreviousLine, QAbstractSlider::SliderSingleStepSub},
        {QKeySequence::MoveToStartOfDocument, QAbstractSlider::SliderToMinimum},
        {QKeySequence::MoveToEndOfDocument, QAbstractSlider::SliderToMaximum},
    };
    for (const auto& [key, action] : kScrolls) {
        if (event == key) {
            verticalScrollBar()->triggerAction(action);
        }
    }
    if (event == QKeySequence::Paste) {
        paste();
    } else if (!isReadOnly() && (event->key() == Qt::Key_Delete || event->key() == Qt::Key_Backspace)) {
        SetText(QString());
        Q_EMIT textChanged();
    }
    event->accept();
}

void TextBox::inputMethodEvent(QInputMethodEvent* event) {
    if (!m_drawn) {
        QPlainTextEdit::inputMethodEvent(event);
    }
}

void TextBox::insertFromMimeData(const QMimeData* source) {
    if (isReadOnly() || source == nullptr || !source->hasText()) {
        return;
    }
    const QString pasted = source->text();
    if (!m_drawn && pasted.size() <= kLongestLaidOutLine) {
        QPlainTextEdit::insertFromMimeData(source);
        return;
    }
    // A large paste is not laid out: the box takes it whole, in place of a drawn text or the selection.
    QString text = pasted;
    if (!m_drawn) {
        const QTextCursor cursor = textCursor();
        const QString before = toPlainText();
        text = before.left(cursor.selectionStart()) + pasted + before.mid(cursor.selectionEnd());
    }
    text.replace(u"\r\n"_s, u"\n"_s);
    SetText(text);
    Q_EMIT textChanged();
}

} // namespace velt::editor
