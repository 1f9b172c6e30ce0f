// Restores one coded file through the file window, offscreen, as a user pressing START
// would: run it under /usr/bin/time -v to see the peak memory of the whole path.
//   file_window_memory FOLDER NAME   (FOLDER holds KEY.ORB and the coded file NAME)
#include "controls/GlossButton.h"
#include "engine/AppState.h"
#include "jobs/FileWindow.h"
#include "platform/JobWindows.h"
#include "platform/WaitWindow.h"

#include <QApplication>
#include <QElapsedTimer>
#include <cstdio>

namespace {
/// Answers every question with Yes and prints every message.
struct Consenting final : velt::IMessages {
    velt::MessageAnswer Show(const velt::Message& message) override {
        std::fprintf(stderr, "%s: %s\n", message.title.c_str(), message.text.c_str());
        return message.buttons == velt::MessageButtons::YesNo ? velt::MessageAnswer::Yes
                                                              : velt::MessageAnswer::Ok;
    }
};
} // namespace

int main(int argc, char* argv[]) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: %s FOLDER NAME\n", argv[0]);
        return 2;
    }
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    Consenting messages;
    velt::AppState state(argv[1], {.messages = &messages});
    velt::platform::WaitProgress progress(state);
    state.Attach({.progress = &progress});
    state.OpenKeyStore();

    QWidget mainWindow;
    velt::platform::JobWindows jobs;
    velt::jobs::FileWindow::Open(state, jobs, mainWindow,
                                 {velt::platform::Direction::Reception, std::filesystem::path(argv[1]) / argv[2], argv[2]});
    velt::GlossButton* start = nullptr;
    for (QWidget* widget : QApplication::topLevelWidgets()) {
        if (widget->objectName() == QStringLiteral("Form4") && widget->isVisible()) {
            start = widget->findChild<velt::GlossButton*>(QStringLiteral("Command1"));
        }
    }
    if (start == nullptr || !start->isEnabled()) {
        return 1;
    }
    QElapsedTimer timer;
    timer.start();
    Q_EMIT start->Click();
    std::printf("restored in %.1f s\n", static_cast<double>(timer.elapsed()) / 1000.0);
    return mainWindow.isVisible() ? 0 : 1;
}
