// settings.ini: five lines, one setting each, in the order sync, del,
// diradd, filename, fileext, each ending in CR LF.
//
// Each line is one value taken whole: commas, quotes and blanks are part of
// the value, so every file the program writes reads back exactly as written.
#pragma once

#include "settings/app_settings.h"

#include <string>

namespace bayhaul {

inline constexpr const char* kSettingsFileName = "settings.ini";

struct SettingsWriteResult {
    bool ok = true;
    std::string error;  // why the file was left as it was; empty when ok
};

// Creates the file with the default lines when nothing of that name exists
// (a link that leads nowhere gets its target created). Anything existing is
// never touched, whatever it is or holds.
void EnsureSettingsFile(const std::string& path = kSettingsFileName);

// Reads the five lines into `settings`. Lines the file lacks (a short,
// empty or unreadable file, or anything but a regular file) take their
// default values; surplus lines are ignored, and so is everything past the
// first 16 KiB. A CR inside a line is dropped. Returns how many lines were
// read (0 to 5). Never writes, never blocks.
int ReadSettingsFile(AppSettings& settings, const std::string& path = kSettingsFileName);

// Replaces the file with the five values. The new content goes to a
// temporary file beside it, which is then renamed over the old one, so the
// file always holds either the old or the new content. A link is followed
// and the file it leads to replaced. A writable file in a folder the user
// may not write is rewritten in place, the only way left. A file marked
// read-only is not replaced. A failure leaves the old file untouched.
SettingsWriteResult WriteSettingsFile(const AppSettings& settings, const std::string& path = kSettingsFileName);

// The exact bytes WriteSettingsFile puts in the file.
std::string FormatSettings(const AppSettings& settings);

// The settings a text holds, read as ReadSettingsFile reads a file.
int ParseSettings(const std::string& text, AppSettings& settings);

}  // namespace bayhaul
