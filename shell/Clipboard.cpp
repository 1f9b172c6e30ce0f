#include "Clipboard.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>

namespace velt::shell {

bool SystemClipboard::HasText() {
    const QMimeData* data = QGuiApplication::clipboard()->mimeData();
    return data != nullptr && data->hasText();
}

QString SystemClipboard::Text() {
    return QGuiApplication::clipboard()->text();
}

void SystemClipboard::Clear() {
    QGuiApplication::clipboard()->clear();
}

void SystemClipboard::SetText(const QString& text) {
    QGuiApplication::clipboard()->setText(text);
}

} // namespace velt::shell
