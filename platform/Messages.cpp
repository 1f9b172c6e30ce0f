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
        IconOf(message.icon), QString::fromStdString(message.title), QString::fromStdString(message.text),
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
