// Velt: the main window is the program; closing it ends the process.
#include "AppState.h"
#include "Clipboard.h"
#include "ComponentCheck.h"
#include "Dialogs.h"
#include "EditorWindow.h"
#include "FileWindow.h"
#include "FolderWindow.h"
#include "Interrupts.h"
#include "JobWindows.h"
#include "MainWindow.h"
#include "Messages.h"
#include "Printer.h"
#include "SettingsStore.h"
#include "Startup.h"
#include "WaitWindow.h"
#include "WallClock.h"

#include <QApplication>
#include <QIcon>

int main(int argc, char* argv[]) {
    // A file-size limit must end one conversion with the "no room" message, not the whole program;
    // a SIGTERM, SIGINT or SIGHUP must not leave a half-written named temporary file behind.
    velt::ITemporaryFiles& temporaries = velt::InstallInterruptCleanup();
    QApplication application(argc, argv);
    velt::shell::NameApplication();
    QIcon icon;
    for (const int size : {16, 32, 48, 64, 128, 256}) {
        icon.addFile(QStringLiteral(":/icons/velt-%1.png").arg(size));
    }
    QApplication::setWindowIcon(icon);
    velt::shell::SettingsStore settings;
    velt::shell::Messages messages;
    velt::Services services;
    services.settings = &settings;
    services.messages = &messages;
    services.temporaries = &temporaries;
    velt::AppState state(velt::shell::ProgramFolder(), services);
    velt::shell::WaitProgress progress(state);
    velt::Services waiting;
    waiting.progress = &progress;
    state.Attach(waiting);

    velt::shell::EmbeddedComponents components;
    velt::shell::RunComponentCheck(state, velt::shell::SystemFolderCandidates(), components);
    velt::shell::SecureKeyPlace(state);

    velt::shell::Dialogs dialogs;
    velt::shell::JobWindows jobs;
    jobs.fileWindow = [&](QWidget& main, const velt::shell::FileJob& job) {
        return velt::jobs::FileWindow::Open(state, jobs, main, job);
    };
    jobs.folderWindow = [&](QWidget& main, const velt::shell::FolderJob& job) {
        return velt::jobs::FolderWindow::Open(state, main, job);
    };
    velt::shell::SystemWallClock wallClock;
    velt::shell::SystemClipboard clipboard;
    velt::shell::Printer printer;
    jobs.editor = [&](QWidget& mainWindow, velt::shell::Direction direction) {
        return velt::editor::OpenEditor(state, {dialogs, clipboard, printer, wallClock}, mainWindow, direction);
    };
    velt::shell::MainWindow window(state, {dialogs, jobs, clipboard, wallClock, [] { QCoreApplication::exit(0); }});
    window.Load();
    // `velt FILE...`, as the menu entry passes them: straight to the file or folder window.
    window.OpenFromOutside(QCoreApplication::arguments().mid(1));
    return QApplication::exec();
}
