#include "platform/Clipboard.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>

namespace velt::platform {

SystemClipboard::SystemClipboard() {
    // The platform tells every change (another program's copy included), so nobody polls the content.
    m_watch = QObject::connect(QGuiApplication::clipboard(), &QClipboard::dataChanged, [this] { ++m_changes; });
}

SystemClipboard::~SystemClipboard() {
    QObject::disconnect(m_watch);
}

bool SystemClipboard::HasText() {
    // The offered formats only; the data stays with its owner.
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

} // namespace velt::platform
