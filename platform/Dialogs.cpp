#include "platform/Dialogs.h"

#include <QApplication>
#include <QFileDialog>
#include <QFileInfo>
#include <QStringList>

namespace velt::platform {

QString QtFilter(const QString& barFilter) {
    const QStringList parts = barFilter.split(QLatin1Char('|'));
    QStringList entries;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        QString pattern = parts[i + 1].trimmed();
        // "*.*" means every file, those without a dot in their name too.
        if (pattern == QStringLiteral("*.*")) {
            pattern = QStringLiteral("*");
        }
        // Qt reads the patterns from the last brackets; the dialogs hide them and show the description.
        entries << parts[i].trimmed() + QStringLiteral(" (") + pattern + QLatin1Char(')');
    }
    return entries.join(QStringLiteral(";;"));
}

OpenFileResult Dialogs::OpenFile(const OpenFileRequest& request) {
    QFileDialog dialog(QApplication::activeWindow(), request.title, request.initialFolder,
                       QtFilter(request.filter));
    dialog.setOption(QFileDialog::HideNameFilterDetails);
    dialog.setFileMode(QFileDialog::ExistingFile);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    if (!request.presetName.isEmpty()) {
        dialog.selectFile(request.presetName);
    }
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) {
        return {};
    }
    const QString path = dialog.selectedFiles().constFirst();
    return {path, QFileInfo(path).fileName()};
}

QString Dialogs::SaveFile(const SaveFileRequest& request) {
    QFileDialog dialog(QApplication::activeWindow(), request.title, request.initialFolder,
                       QtFilter(request.filter));
    dialog.setOption(QFileDialog::HideNameFilterDetails);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    // Choosing an existing key file is how a key is exchanged: that dialog asks nothing.
    dialog.setOption(QFileDialog::DontConfirmOverwrite, !request.confirmOverwrite);
    dialog.setDefaultSuffix(request.defaultSuffix);
    dialog.selectFile(request.fileName);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) {
        return {};
    }
    return dialog.selectedFiles().constFirst();
}

QString Dialogs::FolderBrowser(const QString& title) {
    return QFileDialog::getExistingDirectory(nullptr, title, QString(), QFileDialog::ShowDirsOnly);
}

} // namespace velt::platform
