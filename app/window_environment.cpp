#include "app/window_environment.h"

#include "press/press_handover.h"
#include "press/program_workers.h"
#include "shell/special_folder.h"

namespace bayhaul {

MainWindowState::Environment WindowEnvironment(const Clock& clock, const LocaleText& locale, std::string settingsPath,
                                               std::shared_ptr<WorkerStarter> workers,
                                               DevicePlatformFactory devicePlatform,
                                               PressLockTaker pressLock, std::string stateFolder) {
    MainWindowState::Environment environment{clock, locale, fGetSpecialFolder, std::move(settingsPath), std::move(workers),
                                             std::move(devicePlatform)};
    // A watch that only waits or probes hands the ports over within a second.
    if (pressLock) environment.pressLock = HandedOverPressLock(std::move(pressLock), stateFolder);
    environment.expectedFolder = ExpectedSpecialFolder;
    environment.stateFolder = std::move(stateFolder);
    environment.oneAtATime = OneAtATimeAsked();
    return environment;
}

}  // namespace bayhaul
