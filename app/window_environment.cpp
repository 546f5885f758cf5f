#include "app/window_environment.h"

#include "shell/special_folder.h"

namespace bayhaul {

MainWindowState::Environment WindowEnvironment(const Clock& clock, const LocaleText& locale, std::string settingsPath,
                                               TetherSource& library, DevicePlatformFactory devicePlatform,
                                               PressLockTaker pressLock, std::string stateFolder) {
    MainWindowState::Environment environment{clock, locale, fGetSpecialFolder, std::move(settingsPath), library,
                                             std::move(devicePlatform)};
    if (pressLock) environment.pressLock = std::move(pressLock);
    environment.expectedFolder = ExpectedSpecialFolder;
    environment.stateFolder = std::move(stateFolder);
    return environment;
}

}  // namespace bayhaul
