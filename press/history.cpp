#include "press/history.h"

#include <atomic>
#include <cstdio>
#include <filesystem>

#include "files/own_file.h"

namespace bayhaul {

namespace {

const std::vector<std::string> kHeader = {"date and time", "press",  "port",   "outcome", "file",
                                          "bytes",         "sha256", "delete", "clock"};
// Records written before the delete and clock columns.
constexpr std::size_t kOlderFields = 7;

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

// The fields of one record's text: quoted fields may hold commas, quotes
// and line breaks; the record ends at the line break outside quotes, which
// must be its last character. Nothing when the text is not one whole record.
std::optional<std::vector<std::string>> Fields(std::string_view text) {
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
            if (i + 1 != text.size()) return std::nullopt;
            if (!field.empty() && field.back() == '\r') field.pop_back();
            fields.push_back(std::move(field));
            return fields;
        } else {
            field += c;
        }
    }
    return std::nullopt;  // a record a crash cut short has no line end
}

bool Digits(std::string_view text, std::size_t from, std::size_t count) {
    for (std::size_t i = from; i < from + count; ++i) {
        if (text[i] < '0' || text[i] > '9') return false;
    }
    return true;
}

}  // namespace

std::string HistoryTime(const LocalTime& moment) {
    char text[32];
    std::snprintf(text, sizeof text, "%04d-%02d-%02d %02d:%02d:%02d", moment.year, moment.month, moment.day,
                  moment.hour, moment.minute, moment.second);
    return text;
}

std::string NewPressId(const LocalTime& start) {
    static std::atomic<unsigned long> presses{0};
    return HistoryTime(start) + " #" + std::to_string(ThisProcess()) + "." + std::to_string(++presses);
}

std::string PressStart(const std::string& id) {
    return id.substr(0, id.find(" #"));
}

std::string AppendHistory(const std::string& folder, const HistoryRecord& record) {
    std::error_code made;
    std::filesystem::create_directories(folder, made);
    const FileResult written = AppendDurably(PathIn(folder),
                                             Line({record.when, record.press, record.port, record.outcome, record.file,
                                                   record.bytes, record.sha256, record.deleted, record.clock}),
                                             history_csv::HeaderLine());
    return written.ok ? "" : written.error;
}

namespace history_csv {

std::string HeaderLine() {
    return Line(kHeader);
}

bool StartsRecord(std::string_view text) {
    // "2026-12-09 18:02:11,"
    return text.size() >= 20 && Digits(text, 0, 4) && text[4] == '-' && Digits(text, 5, 2) && text[7] == '-' &&
           Digits(text, 8, 2) && text[10] == ' ' && Digits(text, 11, 2) && text[13] == ':' && Digits(text, 14, 2) &&
           text[16] == ':' && Digits(text, 17, 2) && text[19] == ',';
}

bool StartsHeader(std::string_view text) {
    const std::string start = kHeader[0] + ",";
    return text.substr(0, start.size()) == start;
}

std::optional<HistoryRecord> ParseRecord(std::string_view text) {
    if (!StartsRecord(text)) return std::nullopt;
    std::optional<std::vector<std::string>> fields = Fields(text);
    if (!fields || (fields->size() != kHeader.size() && fields->size() != kOlderFields)) return std::nullopt;
    fields->resize(kHeader.size());
    std::vector<std::string>& f = *fields;
    return HistoryRecord{f[0], f[1], f[2], f[3], f[4], f[5], f[6], f[7], f[8]};
}

}  // namespace history_csv

}  // namespace bayhaul
