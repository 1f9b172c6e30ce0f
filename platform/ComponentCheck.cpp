#include "platform/ComponentCheck.h"

#include <QDir>
#include <QFile>
#include <QSaveFile>

namespace velt::platform {

bool FileExist(const QString& path, int attributes) {
    QString normal = path;
    normal.replace(QLatin1Char('\\'), QLatin1Char('/'));
    const qsizetype slash = normal.lastIndexOf(QLatin1Char('/'));
    const QString folder = slash < 0 ? QStringLiteral(".") : normal.left(slash + 1);
    QString pattern = normal.mid(slash + 1);
    if (pattern.isEmpty()) {
        return false;
    }
    // "*.*" matches every name, with or without a dot, as the directory search it mirrors does.
    if (pattern == QStringLiteral("*.*")) {
        pattern = QStringLiteral("*");
    }
    QDir::Filters filters = QDir::Files;
    if (attributes & 2) {
        filters |= QDir::Hidden;
    }
    if (attributes & 4) {
        filters |= QDir::System;
    }
    if (attributes & 16) {
        filters |= QDir::Dirs;
    }
    const QDir dir(folder);
    return dir.exists() && !dir.entryList({pattern}, filters, QDir::Unsorted).isEmpty();
}

std::optional<QByteArray> EmbeddedComponents::Bytes(int resourceId) {
    QFile resource(QStringLiteral(":/runtime/%1").arg(resourceId));
    if (!resource.open(QIODevice::ReadOnly)) {
        return std::nullopt;
    }
    return resource.readAll();
}

QStringList SystemFolderCandidates() {
#ifdef Q_OS_WIN
    return {QStringLiteral("c:\\Windows\\System32\\"), QStringLiteral("c:\\WinNT\\System32\\")};
#else
    return {};
#endif
}

ComponentCheckResult CheckComponents(const QStringList& candidates, IComponentSource& source) {
    ComponentCheckResult result;
    for (const QString& candidate : candidates) {
        if (FileExist(candidate + QStringLiteral("*.*"), 2)) {
            result.systemFolder = candidate;
            break;
        }
    }
    if (result.systemFolder.isEmpty()) {
        return result;
    }
    for (const RuntimeComponent& component : kRuntimeComponents) {
        const QString name = QString::fromLatin1(component.fileName);
        const QString path = result.systemFolder + name;
        if (FileExist(path, 2)) {
            continue; // present: left alone whatever its version
        }
        const std::optional<QByteArray> bytes = source.Bytes(component.resourceId);
        QSaveFile file(path);
        if (!bytes || !file.open(QIODevice::WriteOnly) || file.write(*bytes) != bytes->size() ||
            !file.commit()) {
            result.failedComponent = name;
            return result;
        }
        result.written << path;
    }
    return result;
}

} // namespace velt::platform
