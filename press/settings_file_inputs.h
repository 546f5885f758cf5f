// A press's inputs read from settings.ini at each use, as a watch needs:
// the boxes and the folder the user set in the window since it started
// count from the next collection on.
#pragma once

#include <string>

#include "press/press_environment.h"
#include "settings/settings_file.h"

namespace bayhaul {

class SettingsFileInputs final : public PressInputs {
public:
    explicit SettingsFileInputs(std::string path) : path_(std::move(path)) {}
    AppSettings Settings() override {
        AppSettings settings;
        ReadSettingsFile(settings, path_);
        return settings;
    }
    bool ClockBox() override { return Settings().sync == "1"; }
    bool DeleteBox() override { return Settings().del == "1"; }

private:
    const std::string path_;
};

}  // namespace bayhaul
