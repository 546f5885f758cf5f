#include "app/form1.h"
#include "settings/settings_file.h"

#include <QApplication>

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Bayhaul"));
    const bayhaul::SystemClock clock;
    bayhaul::Form1 window(clock, bayhaul::kSettingsFileName);
    window.show();
    return application.exec();
}
