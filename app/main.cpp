// Velt: the main window is the program; closing it ends the process.
#include "app/MainWindow.h"
#include "app/SingleInstance.h"
#include "app/Startup.h"
#include "editor/EditorWindow.h"
#include "engine/AppState.h"
#include "engine/Interrupts.h"
#include "jobs/FileWindow.h"
#include "jobs/FolderWindow.h"
#include "platform/Clipboard.h"
#include "platform/ComponentCheck.h"
#include "platform/Dialogs.h"
#include "platform/JobWindows.h"
#include "platform/Messages.h"
#include "platform/Printer.h"
#include "platform/SettingsStore.h"
#include "platform/WaitWindow.h"
#include "platform/WallClock.h"

#include <QApplication>
#include <QIcon>

int main(int argc, char* argv[]) {
    // A file-size limit must end one conversion with the "no room" message, not the whole program;
    // a SIGTERM, SIGINT or SIGHUP must not leave a half-written named temporary file behind.
    velt::ITemporaryFiles& temporaries = velt::InstallInterruptCleanup();
    QApplication application(argc, argv);
    velt::app::NameApplication();
    // A later start hands its files to the running Velt and ends before it touches the key or the settings.
    velt::app::SingleInstance instance(velt::app::InstanceFolder());
    const QStringList paths = QCoreApplication::arguments().mid(1);
    if (instance.HandOverOrListen(paths)) {
        return 0;
    }
    QIcon icon;
    for (const int size : {16, 32, 48, 64, 128, 256}) {
        icon.addFile(QStringLiteral(":/icons/velt-%1.png").arg(size));
    }
    QApplication::setWindowIcon(icon);
    velt::platform::SettingsStore settings;
    velt::platform::Messages messages;
    velt::Services services;
    services.settings = &settings;
    services.messages = &messages;
    services.temporaries = &temporaries;
    velt::AppState state(velt::app::ProgramFolder(), services);
    velt::platform::WaitProgress progress(state);
    velt::Services waiting;
    waiting.progress = &progress;
    state.Attach(waiting);

    velt::platform::EmbeddedComponents components;
    velt::app::RunComponentCheck(state, velt::platform::SystemFolderCandidates(), components);
    velt::app::SecureKeyPlace(state);

    velt::platform::Dialogs dialogs;
    velt::platform::JobWindows jobs;
    jobs.fileWindow = [&](QWidget& main, const velt::platform::FileJob& job) {
        return velt::jobs::FileWindow::Open(state, jobs, main, job);
    };
    jobs.folderWindow = [&](QWidget& main, const velt::platform::FolderJob& job) {
        return velt::jobs::FolderWindow::Open(state, main, job);
    };
    velt::platform::SystemWallClock wallClock;
    velt::platform::SystemClipboard clipboard;
    velt::platform::Printer printer;
    jobs.editor = [&](QWidget& mainWindow, velt::platform::Direction direction) {
        return velt::editor::OpenEditor(state, {dialogs, clipboard, printer, wallClock}, mainWindow, direction);
    };
    velt::app::MainWindow window(state, {dialogs, jobs, clipboard, wallClock, [] { QCoreApplication::exit(0); }});
    window.Load();
    // `velt FILE...`, as the menu entry passes them: straight to the file or folder window.
    window.OpenFromOutside(paths);
    instance.Serve([&window](const QStringList& handed) { window.TakeHandedOver(handed); });
    return QApplication::exec();
}
