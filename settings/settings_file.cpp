#include "settings/settings_file.h"

#include "settings/replace_file.h"

#include <array>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace bayhaul {

namespace {

std::array<std::string*, 5> FieldsInFileOrder(AppSettings& s) {
    return {&s.sync, &s.del, &s.diradd, &s.filename, &s.fileext};
}

std::array<const std::string*, 5> FieldsInFileOrder(const AppSettings& s) {
    return {&s.sync, &s.del, &s.diradd, &s.filename, &s.fileext};
}

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
        if (!line.empty() && line.back() == '\r') line.pop_back();
        *fields[read++] = line;
    }
    return read;
}

void EnsureSettingsFile(const std::string& path) {
    std::error_code ec;
    if (std::filesystem::exists(path, ec) || ec)
        return;  // an existing entry (or one we cannot even look at) is never replaced
    ReplaceFileContent(path, FormatSettings(AppSettings{}));
}

int ReadSettingsFile(AppSettings& settings, const std::string& path) {
    // A stream copy reports a failed read (a folder, a vanished file) as a
    // state, not an exception; whatever could not be read takes the defaults.
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    if (in) text << in.rdbuf();
    return ParseSettings(text.str(), settings);
}

SettingsWriteResult WriteSettingsFile(const AppSettings& settings, const std::string& path) {
    for (const std::string* field : FieldsInFileOrder(settings)) {
        if (HoldsLineBreak(*field)) return {false, "a setting holds a line break and cannot be stored as one line"};
    }
    ReplaceFileResult result = ReplaceFileContent(path, FormatSettings(settings));
    return {result.ok, result.error};
}

}  // namespace bayhaul
