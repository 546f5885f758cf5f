// What a press needs from the program that runs it: the world it works in
// (clock, locale, folders, ports, the workers), fixed for its run, and what
// it reads afresh as it goes (the settings, the two boxes).
#pragma once

#include <chrono>
#include <functional>
#include <memory>
#include <string>

#include "ports/device_platform.h"
#include "press/port_device.h"
#include "press/worker_link.h"
#include "settings/app_settings.h"
#include "settings/local_time.h"
#include "settings/locale_text.h"
#include "settings/output_naming.h"

namespace bayhaul {

// Read by the press from its own thread, at the moment it needs them: the
// settings when a transfer starts, a box when its step comes, so that a box
// ticked during a press counts from its next use on.
class PressInputs {
public:
    virtual ~PressInputs() = default;
    virtual AppSettings Settings() = 0;
    virtual bool ClockBox() = 0;   // set the terminal's clock
    virtual bool DeleteBox() = 0;  // delete the file on the terminal
};

// How long a worker may be silent inside the library before it is ended as
// not responding: in a call to connect, ask, delete or set the clock, and
// in a transfer (whose worker reports at least twice a second while the
// library returns).
struct WorkerLimits {
    std::chrono::milliseconds call{20000};
    std::chrono::milliseconds transfer{30000};
    // After a stop, how long workers get to close their links before they are ended.
    std::chrono::milliseconds stopGrace{500};
};

struct PressEnvironment {
    const Clock& clock;
    const LocaleText& locale;
    SpecialFolderLookup specialFolder;
    // Where a special folder that was not found would be, to name it.
    SpecialFolderLookup expectedFolder;
    // What the user can do when the save folder is missing.
    std::string chooseFolderHint;
    // The user's state folder, for the history and the copies of replaced
    // files; empty: neither is kept.
    std::string stateFolder;
    DevicePlatformFactory devicePlatform;
    std::shared_ptr<WorkerStarter> workers;
    std::string libraryFile;  // handed to every worker; empty: the library beside the program
    bool oneAtATime = false;  // the ports' workers one after another, never side by side
    WorkerLimits limits{};
    std::function<std::chrono::steady_clock::time_point()> steadyNow = std::chrono::steady_clock::now;
    // Which device each COM number opens: a second name of one is not tried.
    PortDeviceLookup portDevice = PortDeviceIdentity;
};

// Why received files cannot be saved where `settings` say, with what to do
// about it; "" when they can.
std::string SaveFolderProblem(const AppSettings& settings, const PressEnvironment& environment);

}  // namespace bayhaul
