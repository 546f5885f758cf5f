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

// Whether `folder` is a folder of its own, not a link to one elsewhere.
bool RealFolder(const fs::path& folder) {
    std::error_code error;
    return fs::is_directory(fs::symlink_status(folder, error));
}

}  // namespace

std::string KeepReplacedFile(const std::string& stateFolder, const std::string& file, const LocalTime& today,
                             std::string& why) {
    const fs::path replaced = fs::path(stateFolder) / kReplacedFolder;
    const fs::path day = replaced / DayName(today);
    std::error_code error;
    for (const fs::path& folder : {replaced, day}) {
        fs::create_directories(folder, error);
        if (error) {
            why = "cannot create " + folder.string() + ": " + error.message();
            return "";
        }
        if (!RealFolder(folder)) {
            why = folder.string() + " is a symbolic link, which Bayhaul does not follow: remove it";
            return "";
        }
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
    if (!RealFolder(replaced)) return;
    const long now = DaysSinceEpoch(today.year, today.month, today.day);
    std::error_code error;
    for (fs::directory_iterator entry(replaced, error), end; !error && entry != end; entry.increment(error)) {
        int year = 0, month = 0, day = 0;
        char rest = 0;
        const std::string name = entry->path().filename().string();
        if (std::sscanf(name.c_str(), "%4d-%2d-%2d%c", &year, &month, &day, &rest) != 3) continue;
        if (now - DaysSinceEpoch(year, month, day) <= kKeepReplacedDays || !RealFolder(entry->path())) continue;
        std::error_code ignored;
        fs::remove_all(entry->path(), ignored);
    }
}

}  // namespace bayhaul
