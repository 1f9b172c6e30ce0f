#include "platform/Messages.h"

#include <QApplication>
#include <QMessageBox>

namespace velt::platform {
namespace {
QMessageBox::Icon IconOf(MessageIcon icon) {
    switch (icon) {
    case MessageIcon::Critical:
        return QMessageBox::Critical;
    case MessageIcon::Exclamation:
        return QMessageBox::Warning;
    case MessageIcon::Question:
        return QMessageBox::Question;
    case MessageIcon::Information:
        return QMessageBox::Information;
    }
    return QMessageBox::NoIcon;
}

/// `text` with a zero-width space after each folder separator of a long word and within every long
/// run without one, so that a long path wraps instead of widening the box past the screen.
QString Breakable(const QString& text) {
    constexpr int kLongWord = 40;
    QString breakable;
    qsizetype word = 0; // where the word being copied begins
    for (qsizetype at = 0; at <= text.size(); ++at) {
        if (at < text.size() && !text[at].isSpace()) {
            continue;
        }
        const QStringView piece = QStringView(text).mid(word, at - word);
        int run = 0;
        for (const QChar c : piece) {
            breakable += c;
            ++run;
            if (piece.size() > kLongWord && !c.isHighSurrogate() &&
                (c == u'/' || c == u'\\' || run >= kLongWord)) {
                breakable += QChar(0x200B);
                run = 0;
            }
        }
        if (at < text.size()) {
            breakable += text[at];
        }
        word = at + 1;
    }
    return breakable;
}

QMessageBox::StandardButton ButtonOf(MessageAnswer answer) {
    switch (answer) {
    case MessageAnswer::Yes:
        return QMessageBox::Yes;
    case MessageAnswer::No:
        return QMessageBox::No;
    case MessageAnswer::Ok:
        break;
    }
    return QMessageBox::Ok;
}
} // namespace

MessageAnswer Messages::Show(const Message& message) {
    const bool yesNo = message.buttons == MessageButtons::YesNo;
    QMessageBox box(
        IconOf(message.icon), QString::fromStdString(message.title), Breakable(QString::fromStdString(message.text)),
        yesNo ? QMessageBox::Yes | QMessageBox::No : QMessageBox::Ok, QApplication::activeWindow());
    // Messages name files and quote texts: never read as markup.
    box.setTextFormat(Qt::PlainText);
    box.setDefaultButton(ButtonOf(message.defaultAnswer));
    // Closing a Yes/No box with Escape or its close box counts as No, never as consent.
    if (yesNo) {
        box.setEscapeButton(QMessageBox::No);
    }
    switch (box.exec()) {
    case QMessageBox::Yes:
        return MessageAnswer::Yes;
    case QMessageBox::No:
        return MessageAnswer::No;
    default:
        return yesNo ? MessageAnswer::No : MessageAnswer::Ok;
    }
}

} // namespace velt::platform
