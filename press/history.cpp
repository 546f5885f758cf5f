#include "press/history.h"

#include <cstdio>
#include <filesystem>
#include <optional>

#include "files/durable_file.h"

namespace bayhaul {

namespace {

constexpr std::size_t kFields = 7;
constexpr std::size_t kMostBytesRead = 64 * 1024 * 1024;
const std::vector<std::string> kHeader = {"date and time", "press", "port", "outcome", "file", "bytes", "sha256"};

std::string PathIn(const std::string& folder) {
    return (std::filesystem::path(folder) / kHistoryFile).string();
}

// A field as CSV writes it: quoted, with its quotes doubled, when it holds
// a comma, a quote or a line break.
std::string Field(const std::string& text) {
    if (text.find_first_of(",\"\r\n") == std::string::npos) return text;
    std::string quoted = "\"";
    for (const char c : text) quoted += c == '"' ? std::string("\"\"") : std::string(1, c);
    return quoted + "\"";
}

std::string Line(const std::vector<std::string>& fields) {
    std::string line;
    for (const std::string& field : fields) line += (line.empty() ? "" : ",") + Field(field);
    return line + "\r\n";
}

// The records of a CSV text: quoted fields may hold commas, quotes and line
// breaks; a record ends at a line break outside quotes. A last record
// without its line end is one a crash cut short, and is dropped.
std::vector<std::vector<std::string>> Records(const std::string& text) {
    std::vector<std::vector<std::string>> records;
    std::vector<std::string> fields;
    std::string field;
    bool quoted = false;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (quoted) {
            if (c == '"' && i + 1 < text.size() && text[i + 1] == '"') {
                field += '"';
                ++i;
            } else if (c == '"') {
                quoted = false;
            } else {
                field += c;
            }
        } else if (c == '"' && field.empty()) {
            quoted = true;
        } else if (c == ',') {
            fields.push_back(std::move(field));
            field.clear();
        } else if (c == '\n') {
            if (!field.empty() && field.back() == '\r') field.pop_back();
            fields.push_back(std::move(field));
            field.clear();
            records.push_back(std::move(fields));
            fields.clear();
        } else {
            field += c;
        }
    }
    return records;
}

}  // namespace

std::string HistoryTime(const LocalTime& moment) {
    char text[32];
    std::snprintf(text, sizeof text, "%04d-%02d-%02d %02d:%02d:%02d", moment.year, moment.month, moment.day,
                  moment.hour, moment.minute, moment.second);
    return text;
}

std::string AppendHistory(const std::string& folder, const HistoryRecord& record) {
    std::error_code made;
    std::filesystem::create_directories(folder, made);
    const std::string path = PathIn(folder);
    std::error_code ignored;
    const bool fresh = !std::filesystem::exists(path, ignored) || std::filesystem::file_size(path, ignored) == 0;
    const std::string text = (fresh ? Line(kHeader) : "") + Line({record.when, record.press, record.port,
                                                                   record.outcome, record.file, record.bytes,
                                                                   record.sha256});
    const FileResult written = AppendDurably(path, text);
    return written.ok ? "" : written.error;
}

std::vector<HistoryRecord> ReadHistory(const std::string& folder) {
    std::vector<HistoryRecord> records;
    const std::optional<std::string> text = ReadRegularFile(PathIn(folder), kMostBytesRead);
    if (!text) return records;
    for (std::vector<std::string>& fields : Records(*text)) {
        if (fields.size() != kFields || fields == kHeader) continue;
        records.push_back({fields[0], fields[1], fields[2], fields[3], fields[4], fields[5], fields[6]});
    }
    return records;
}

std::vector<HistoryRecord> LastPresses(const std::vector<HistoryRecord>& records, std::size_t presses) {
    std::size_t first = records.size();
    std::size_t seen = 0;
    while (first > 0) {
        const bool newPress = first == records.size() || records[first - 1].press != records[first].press;
        if (newPress && ++seen > presses) break;
        --first;
    }
    return {records.begin() + static_cast<std::ptrdiff_t>(first), records.end()};
}

}  // namespace bayhaul
