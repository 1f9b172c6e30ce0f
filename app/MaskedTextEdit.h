#pragma once

#include <QWidget>

class QPlainTextEdit;
class QStackedLayout;

namespace velt::app {

/// A multi-line text box that can show its text as asterisks. Masking changes
/// only the look: the text, typed into either view, is always the real one.
class MaskedTextEdit final : public QWidget {
    Q_OBJECT
public:
    explicit MaskedTextEdit(QWidget* parent = nullptr);

    QString Text() const;
    void SetText(const QString& text);
    bool IsMasked() const { return m_masked; }
    void SetMasked(bool masked);
    /// Names the box and both its views for screen readers.
    void SetAccessibleName(const QString& name);
    /// The view the user currently types into.
    QPlainTextEdit* ActiveView() const;

Q_SIGNALS:
    void TextChanged();

private:
    void MirrorMaskedEdit(int position, int removed, int added);

    QPlainTextEdit* m_plain;
    QPlainTextEdit* m_mask;
    QStackedLayout* m_stack;
    bool m_masked = false;
    bool m_mirroring = false;
};

} // namespace velt::app
