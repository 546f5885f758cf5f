#include "press/replaced_files.h"

#include <cstdio>
#include <filesystem>
#include <system_error>

#include "files/durable_file.h"

namespace bayhaul {

namespace fs = std::filesystem;

namespace {

std::string DayName(const LocalTime& moment) {
    char text[16];
    std::snprintf(text, sizeof text, "%04d-%02d-%02d", moment.year, moment.month, moment.day);
    return text;
}

// A free name for `name` in `folder`: the name itself, else "FORM (2).DAT"...
fs::path FreeName(const fs::path& folder, const fs::path& name) {
    fs::path candidate = folder / name;
    std::error_code ignored;
    for (int n = 2; fs::exists(fs::symlink_status(candidate, ignored)); ++n) {
        candidate = folder / (name.stem().string() + " (" + std::to_string(n) + ")" + name.extension().string());
    }
    return candidate;
}

}  // namespace

std::string KeepReplacedFile(const std::string& stateFolder, const std::string& file, const LocalTime& today,
                             std::string& why) {
    const fs::path day = fs::path(stateFolder) / kReplacedFolder / DayName(today);
    std::error_code error;
    fs::create_directories(day, error);
    if (error) {
        why = "cannot create " + day.string() + ": " + error.message();
        return "";
    }
    const fs::path kept = FreeName(day, fs::path(file).filename());
    fs::create_hard_link(file, kept, error);
    if (!error) return kept.string();
    // Another file system: a copy, written as durably as any saved file.
    const FileResult copied = CopyFileDurably(file, kept.string());
    if (!copied.ok) {
        why = "cannot keep a copy of " + file + ": " + copied.error;
        return "";
    }
    return kept.string();
}

void RemoveExpiredCopies(const std::string& stateFolder, const LocalTime& today) {
    const fs::path replaced = fs::path(stateFolder) / kReplacedFolder;
    const long now = DaysSinceEpoch(today.year, today.month, today.day);
    std::error_code error;
    for (fs::directory_iterator entry(replaced, error), end; !error && entry != end; entry.increment(error)) {
        int year = 0, month = 0, day = 0;
        char rest = 0;
        const std::string name = entry->path().filename().string();
        if (std::sscanf(name.c_str(), "%4d-%2d-%2d%c", &year, &month, &day, &rest) != 3) continue;
        if (now - DaysSinceEpoch(year, month, day) <= kKeepReplacedDays) continue;
        std::error_code ignored;
        fs::remove_all(entry->path(), ignored);
    }
}

}  // namespace bayhaul
