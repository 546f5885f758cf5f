// What a main window of the program (Qt or Win32) gives its state: the
// user's shell folders, where a missing one would be, the lock of presses
// and the state folder. One place, so both windows behave alike.
#pragma once

#include <string>

#include "app/main_window_state.h"

namespace bayhaul {

// `pressLock` empty: no lock; `stateFolder` empty: no history and no copies
// of replaced files (as a test wants).
MainWindowState::Environment WindowEnvironment(const Clock& clock, const LocaleText& locale, std::string settingsPath,
                                               std::shared_ptr<WorkerStarter> workers,
                                               DevicePlatformFactory devicePlatform,
                                               PressLockTaker pressLock, std::string stateFolder);

}  // namespace bayhaul
