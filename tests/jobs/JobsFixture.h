#pragma once
// A main window over a 366-position key, hidden while the job window it opened is up.

#include "controls/GlossButton.h"
#include "jobs/FileWindow.h"
#include "jobs/FolderWindow.h"
#include "tests/app/AppFixture.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QPointer>

namespace velt::testing {

inline QStringList FilesIn(const QString& folder) {
    return QDir(folder).entryList(QDir::Files, QDir::Name);
}

template <typename T = QWidget> T* In(QWidget* window, const char* name) {
    return window->findChild<T*>(QString::fromUtf8(name));
}
inline QString Caption(QWidget* window, const char* button) {
    return In<GlossButton>(window, button)->Caption();
}
inline void Click(QWidget* window, const char* button) {
    QTest::mouseClick(In(window, button), Qt::LeftButton);
}
inline void Leave(QWidget* window) {
    In<QAction>(window, "Kilépés")->trigger();
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

    /// The file window for `name` in the program's folder, opened as the main window opens it.
    QPointer<QWidget> OpenFile(const QString& name, bool reception) {
        const QWidgetList before = QApplication::topLevelWidgets();
        const platform::FileJob job{Of(reception), shell.Path(name).toStdString(), name.toStdString()};
        return Opened(jobs::FileWindow::Open(*shell.state, shell.jobs, *shell.window, job), before);
    }
    QPointer<QWidget> OpenFolder(const QString& folder, bool reception) {
        const QWidgetList before = QApplication::topLevelWidgets();
        const platform::FolderJob job{Of(reception), folder.toStdString()};
        return Opened(jobs::FolderWindow::Open(*shell.state, *shell.window, job), before);
    }

    AppFixture shell{366};

private:
    static platform::Direction Of(bool reception) {
        return reception ? platform::Direction::Reception : platform::Direction::Sending;
    }
    /// The window that opened, the main window hidden as the main window hides itself.
    QPointer<QWidget> Opened(bool opened, const QWidgetList& before) {
        shell.window->hide();
        for (QWidget* widget : QApplication::topLevelWidgets()) {
            if (opened && !before.contains(widget) && widget->isVisible()) {
                return widget;
            }
        }
        return nullptr;
    }
};

} // namespace velt::testing
