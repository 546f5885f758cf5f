#include "cli/command_line.h"
#include "qt/form1.h"
#include "qt/qt_close_on_signals.h"
#include "qt/watch_front_end_qt.h"
#include "press/program_workers.h"
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
    const bayhaul::SystemClock clock;
    const std::string stateFolder = bayhaul::UserStateFolder();
    bayhaul::Form1 window(clock, bayhaul::kSettingsFileName, bayhaul::ProgramWorkers(), bayhaul::DefaultDevicePlatform,
                          bayhaul::FilePressLock(stateFolder, "the Bayhaul window"), stateFolder);
    const bayhaul::CloseOnSignals closeOnSignals(window);
    window.show();
    return application.exec();
}
