#include "cli/command_line.h"
#include "qt/form1.h"
#include "qt/qt_close_on_signals.h"
#include "qt/watch_front_end_qt.h"
#include "press/program_workers.h"
#include "qt/single_window.h"
#include "settings/settings_file.h"
#include "shell/state_folder.h"

#include <QApplication>

int main(int argc, char** argv) {
    // The command line needs no display, so it runs before Qt's GUI starts;
    // a watch starts what it needs of Qt itself.
    if (bayhaul::WantsCommandLine(argc, argv)) {
        bayhaul::QtWatchFrontEnd watchFrontEnd(argc, argv);
        return bayhaul::RunCommandLine(argc, argv, &watchFrontEnd);
    }

    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Bayhaul"));
    const std::string stateFolder = bayhaul::UserStateFolder();
    // A second start brings the user's window to the front instead.
    bayhaul::SingleWindow single(bayhaul::SingleWindowFolder(stateFolder));
    if (!single.Claim()) return 0;

    const bayhaul::SystemClock clock;
    bayhaul::Form1 window(clock, bayhaul::kSettingsFileName, bayhaul::ProgramWorkers(), bayhaul::DefaultDevicePlatform,
                          bayhaul::FilePressLock(stateFolder, "the Bayhaul window"), stateFolder);
    const bayhaul::CloseOnSignals closeOnSignals(window);
    single.OnRequest([&window] {
        window.setWindowState((window.windowState() & ~Qt::WindowMinimized) | Qt::WindowActive);
        window.show();
        window.raise();
        window.activateWindow();
    });
    window.show();
    return application.exec();
}
