#pragma once
// A hidden main window over a 366-position key, and the job windows it opens.

#include "FileWindow.h"
#include "FolderWindow.h"
#include "GlossButton.h"
#include "ShellFixture.h"

#include <QApplication>
#include <QDir>
#include <QPointer>

namespace velt::testing {

/// Every file name in `folder`, sorted.
inline QStringList FilesIn(const QString& folder) {
    return QDir(folder).entryList(QDir::Files, QDir::Name);
}

struct JobsFixture final {
    JobsFixture() = default;
    JobsFixture(const JobsFixture&) = delete;
    JobsFixture& operator=(const JobsFixture&) = delete;
    /// A test that failed half-way must not leave its windows to the next one.
    ~JobsFixture() {
        for (QWidget* widget : QApplication::topLevelWidgets()) {
            if (qobject_cast<jobs::FileWindow*>(widget) || qobject_cast<jobs::FolderWindow*>(widget)) {
                delete widget;
            }
        }
    }

    /// The visible job window named `name`; a closed one may wait to be deleted.
    template <typename T> static T* Shown(const QString& name) {
        for (QWidget* widget : QApplication::topLevelWidgets()) {
            if (widget->objectName() == name && widget->isVisible()) {
                return qobject_cast<T*>(widget);
            }
        }
        return nullptr;
    }

    void SetMode(bool reception) {
        shell.state->sendingMode = !reception;
        shell.state->receptionMode = reception;
    }

    /// The file window for `name` in the temporary folder, opened as the main window's file jobs do.
    QPointer<jobs::FileWindow> OpenFile(const QString& name, bool reception) {
        SetMode(reception);
        shell.state->selectedFileTitle = name.toStdString();
        shell.state->sourcePath = shell.Path(name).toStdString();
        jobs::FileWindow::Open(*shell.state, shell.jobs, *shell.window);
        shell.window->hide();
        return Shown<jobs::FileWindow>(QStringLiteral("Form4"));
    }

    /// The folder window for `folder`, opened as the main window's folder jobs do.
    QPointer<jobs::FolderWindow> OpenFolder(const QString& folder, bool reception) {
        SetMode(reception);
        shell.state->chosenFolder = folder.toStdString();
        jobs::FolderWindow::Open(*shell.state, *shell.window);
        shell.window->hide();
        return Shown<jobs::FolderWindow>(QStringLiteral("Form3"));
    }

    template <typename T = QWidget> static T* In(QWidget* window, const QString& name) {
        return window->findChild<T*>(name);
    }
    static QString Caption(QWidget* window, const QString& button) {
        return In<GlossButton>(window, button)->Caption();
    }
    static void Click(QWidget* window, const QString& button) {
        QTest::mouseClick(In(window, button), Qt::LeftButton);
    }

    ShellFixture shell{366};
};

} // namespace velt::testing
