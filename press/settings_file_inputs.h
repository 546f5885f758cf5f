// A watch's press inputs: settings.ini read afresh before each collection,
// so the boxes and the folder the user set in the window since the watch
// started count from the next collection on. The file is read by the rules
// of a press (a missing one is made with the defaults, missing lines take
// theirs), but what was wrong with it is said, never passed over.
#pragma once

#include <string>

#include "press/press_environment.h"

namespace bayhaul {

class SettingsFileInputs final : public PressInputs {
public:
    explicit SettingsFileInputs(std::string path) : path_(std::move(path)) {}

    // Reads the file for the next collection. "" when it was read whole;
    // otherwise what was wrong and what was used instead, as a clause for
    // the collection's line ("settings.ini has 3 of its 5 lines, so ...").
    std::string Reload();

    // As read by the last Reload, for the whole collection.
    AppSettings Settings() override { return settings_; }
    bool ClockBox() override { return settings_.sync == "1"; }
    bool DeleteBox() override { return settings_.del == "1"; }

private:
    const std::string path_;
    AppSettings settings_;
};

}  // namespace bayhaul
