#include "app/form1.h"
#include "settings/settings_file.h"

#include <QApplication>

int main(int argc, char** argv)
{
    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Bayhaul"));
    const SystemClock clock;
    Form1 window(clock, kSettingsFileName);
    window.show();
    return application.exec();
}
