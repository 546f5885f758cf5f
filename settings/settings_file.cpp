#include "settings/settings_file.h"

#include "files/durable_file.h"

#include <algorithm>
#include <array>
#include <filesystem>

namespace bayhaul {

namespace {

std::array<std::string*, 5> FieldsInFileOrder(AppSettings& s) {
    return {&s.sync, &s.del, &s.diradd, &s.filename, &s.fileext};
}

std::array<const std::string*, 5> FieldsInFileOrder(const AppSettings& s) {
    return {&s.sync, &s.del, &s.diradd, &s.filename, &s.fileext};
}

// Five lines need no more; anything longer is not a settings file.
constexpr std::size_t kMostBytesRead = 16 * 1024;

bool HoldsLineBreak(const std::string& value) {
    return value.find_first_of("\r\n") != std::string::npos;
}

}  // namespace

std::string FormatSettings(const AppSettings& settings) {
    std::string text;
    for (const std::string* field : FieldsInFileOrder(settings)) {
        text += *field;
        text += "\r\n";
    }
    return text;
}

int ParseSettings(const std::string& text, AppSettings& settings) {
    settings = AppSettings{};
    auto fields = FieldsInFileOrder(settings);
    int read = 0;
    std::size_t pos = 0;
    while (read < static_cast<int>(fields.size()) && pos < text.size()) {
        std::size_t end = text.find('\n', pos);
        std::string line = text.substr(pos, end == std::string::npos ? std::string::npos : end - pos);
        pos = end == std::string::npos ? text.size() : end + 1;
        // A stray CR within a line (damage, not a value) is dropped, so the
        // next write can store the line again.
        line.erase(std::remove(line.begin(), line.end(), '\r'), line.end());
        *fields[read++] = line;
    }
    return read;
}

void EnsureSettingsFile(const std::string& path) {
    std::error_code ec;
    if (std::filesystem::exists(path, ec) || ec)
        return;  // an existing entry (or one we cannot even look at) is never replaced
    ReplaceFileContent(FinalPath(path), FormatSettings(AppSettings{}));
}

int ReadSettingsFile(AppSettings& settings, const std::string& path) {
    // Only a regular file is read, and only its start: a FIFO, a device or
    // a folder in its place reads as a missing file.
    return ParseSettings(ReadRegularFile(path, kMostBytesRead).value_or(""), settings);
}

SettingsWriteResult WriteSettingsFile(const AppSettings& settings, const std::string& path) {
    for (const std::string* field : FieldsInFileOrder(settings)) {
        if (HoldsLineBreak(*field)) return {false, "a setting holds a line break and cannot be stored as one line"};
    }
    // A link is followed, so the file it leads to gets the new content.
    const std::string target = FinalPath(path);
    const std::string content = FormatSettings(settings);
    FileResult result = ReplaceFileContent(target, content);
    // A writable file in a folder the user may not write can only be
    // rewritten in place.
    if (!result.ok && result.problem == FileProblem::NoPermission) {
        std::error_code ec;
        if (std::filesystem::is_regular_file(target, ec)) result = OverwriteInPlace(target, content);
    }
    return {result.ok, result.error};
}

}  // namespace bayhaul
