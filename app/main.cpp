#include "app/command_line.h"
#include "app/form1.h"
#include "link/tether_library.h"
#include "settings/settings_file.h"

#include <QApplication>

int main(int argc, char** argv) {
    // The command line needs no display, so it runs before Qt's GUI starts.
    if (bayhaul::WantsCommandLine(argc, argv)) return bayhaul::RunCommandLine(argc, argv);

    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Bayhaul"));
    const bayhaul::SystemClock clock;
    bayhaul::TetherLibrary library;
    bayhaul::Form1 window(clock, bayhaul::kSettingsFileName, library, bayhaul::DefaultDevicePlatform);
    window.show();
    return application.exec();
}
