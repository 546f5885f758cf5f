#include "press/settings_file_inputs.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>

#include "settings/settings_file.h"

namespace bayhaul {

namespace {

constexpr int kLines = 5;

// Why the file at `path` cannot be read at all; "" when it can.
std::string WhyUnreadable(const std::string& path) {
    std::error_code error;
    const std::filesystem::file_status status = std::filesystem::status(path, error);
    if (!std::filesystem::exists(status)) return "was not found and could not be made";
    if (!std::filesystem::is_regular_file(status)) return "is not a file";
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (!file) return std::string("could not be read (") + std::strerror(errno) + ")";
    std::fclose(file);
    return "";
}

}  // namespace

std::string SettingsFileInputs::Reload() {
    std::error_code error;
    const std::string path = std::filesystem::absolute(path_, error).string();
    const bool missing = !std::filesystem::exists(path_, error);  // a link leading nowhere too: its target is made
    if (missing) EnsureSettingsFile(path_);
    settings_ = AppSettings{};
    const int lines = ReadSettingsFile(settings_, path_);
    if (lines == kLines) return missing ? path + " was missing and was made with the default settings" : "";
    if (const std::string why = WhyUnreadable(path_); !why.empty())
        return path + " " + why + ", so the default settings were used";
    if (lines == 0) return path + " is empty, so the default settings were used";
    return path + " has " + std::to_string(lines) + " of its " + std::to_string(kLines) + " lines, so the last " +
           std::to_string(kLines - lines) + " took their defaults";
}

}  // namespace bayhaul
