#include "app/MaskedTextEdit.h"

#include <QPlainTextEdit>
#include <QStackedLayout>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>

namespace velt::app {
namespace {
/// Asterisks for every character, line breaks kept, so that both documents
/// have the same positions.
QString Asterisks(const QString& text) {
    QString out(text.size(), QLatin1Char('*'));
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i] == QLatin1Char('\n') || text[i] == QChar::ParagraphSeparator) {
            out[i] = QLatin1Char('\n');
        }
    }
    return out;
}

/// The text between two positions of `document`, line breaks as '\n'.
QString Slice(QTextDocument* document, int from, int to) {
    QTextCursor cursor(document);
    cursor.setPosition(from);
    cursor.setPosition(to, QTextCursor::KeepAnchor);
    return cursor.selectedText().replace(QChar::ParagraphSeparator, QLatin1Char('\n'));
}
} // namespace

MaskedTextEdit::MaskedTextEdit(QWidget* parent)
    : QWidget(parent), m_plain(new QPlainTextEdit), m_mask(new QPlainTextEdit),
      m_stack(new QStackedLayout(this)) {
    for (QPlainTextEdit* view : {m_plain, m_mask}) {
        view->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
        view->setTabChangesFocus(true);
        m_stack->addWidget(view);
    }
    m_plain->setObjectName(QStringLiteral("plainView"));
    m_mask->setObjectName(QStringLiteral("maskView"));
    // Undo would bring asterisks back as if they were typed.
    m_mask->setUndoRedoEnabled(false);
    // Copying from the masked view would hand out asterisks; the real text stays private.
    m_mask->setContextMenuPolicy(Qt::NoContextMenu);
    setFocusProxy(m_plain);
    connect(m_plain, &QPlainTextEdit::textChanged, this, [this] {
        if (!m_masked) {
            Q_EMIT TextChanged();
        }
    });
    connect(m_mask->document(), &QTextDocument::contentsChange, this, &MaskedTextEdit::MirrorMaskedEdit);
}

QString MaskedTextEdit::Text() const {
    return m_plain->toPlainText();
}

void MaskedTextEdit::SetText(const QString& text) {
    m_plain->setPlainText(text);
    if (m_masked) {
        m_mirroring = true;
        m_mask->setPlainText(Asterisks(text));
        m_mirroring = false;
        Q_EMIT TextChanged();
    }
}

void MaskedTextEdit::SetAccessibleName(const QString& name) {
    setAccessibleName(name);
    m_plain->setAccessibleName(name);
    m_mask->setAccessibleName(name);
}

QPlainTextEdit* MaskedTextEdit::ActiveView() const {
    return m_masked ? m_mask : m_plain;
}

void MaskedTextEdit::SetMasked(bool masked) {
    if (masked == m_masked) {
        return;
    }
    QPlainTextEdit* from = ActiveView();
    const int position = from->textCursor().position();
    const bool hadFocus = from->hasFocus();
    m_masked = masked;
    if (masked) {
        m_mirroring = true;
        m_mask->setPlainText(Asterisks(m_plain->toPlainText()));
        m_mirroring = false;
    }
    QPlainTextEdit* to = ActiveView();
    QTextCursor cursor = to->textCursor();
    cursor.setPosition(std::min(position, to->document()->characterCount() - 1));
    to->setTextCursor(cursor);
    m_stack->setCurrentWidget(to);
    setFocusProxy(to);
    if (hadFocus) {
        to->setFocus();
    }
}

void MaskedTextEdit::MirrorMaskedEdit(int position, int removed, int added) {
    if (m_mirroring || !m_masked) {
        return;
    }
    m_mirroring = true;
    const QString inserted = Slice(m_mask->document(), position, position + added);
    QTextCursor real(m_plain->document());
    real.setPosition(position);
    real.setPosition(std::min(position + removed, m_plain->document()->characterCount() - 1),
                     QTextCursor::KeepAnchor);
    real.insertText(inserted);
    // What was typed or pasted becomes asterisks in place; the cursor stays where it was.
    QTextCursor shown(m_mask->document());
    shown.setPosition(position);
    shown.setPosition(position + added, QTextCursor::KeepAnchor);
    shown.insertText(Asterisks(inserted));
    m_mirroring = false;
    Q_EMIT TextChanged();
}

} // namespace velt::app
