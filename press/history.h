// The history of presses: history.csv in the user's state folder, one
// record per port that a press tried, for a spreadsheet to open. Records are
// appended as each becomes final, each in one write flushed to disk, so a
// press that dies midway leaves every earlier record whole. A link, a
// folder or a pipe at the history's name is refused, never written through.
#pragma once

#include <cstddef>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "settings/local_time.h"

namespace bayhaul {

inline constexpr char kHistoryFile[] = "history.csv";

struct HistoryRecord {
    std::string when{};     // when the port's outcome was final, "2026-12-09 18:02:11"
    std::string press{};    // its press's id (NewPressId): the records of one press share it
    std::string port{};     // "COM3"; empty for a press that could not run
    std::string outcome{};  // in words, as the report says it
    std::string file{};     // the saved file; empty when nothing was saved
    std::string bytes{};    // its size; empty when nothing was saved
    std::string sha256{};   // its SHA-256 in hexadecimal; empty when nothing was saved
    std::string deleted{};  // the terminal's file: "deleted", or why not, in words; empty when not asked
    std::string clock{};    // the terminal's clock: "set", or why not, in words; empty when not asked
};

// "2026-12-09 18:02:11".
std::string HistoryTime(const LocalTime& moment);

// A new press's id: when it started, then this process and a count,
// "2026-12-09 18:02:11 #4242.1", so two presses in the same second, in one
// process or in two, never share one, and the id still sorts by time.
std::string NewPressId(const LocalTime& start);
// When the press of `id` started: "2026-12-09 18:02:11" (older histories
// have that alone as the id).
std::string PressStart(const std::string& id);

// Appends the record to the history in `folder` (made when missing), the
// header line first when the file is new; "" when written, else why not.
std::string AppendHistory(const std::string& folder, const HistoryRecord& record);

// What was read of the history: its records, and why it could not be read
// when it could not (naming the file); no history is no records and no problem.
struct HistoryExtract {
    std::vector<HistoryRecord> records;
    std::string problem;
};

// The records of the last `presses` presses, those whose records are the
// latest, each press's records together, the presses in the order they
// began. Read from the end of the file, holding only what it gives back, so
// memory stays flat whatever the size of the history.
HistoryExtract ReadLastPresses(const std::string& folder, std::size_t presses);
// The ports ("COM3") from which a file was ever saved, by this year's and
// last year's history; read a chunk at a time.
std::set<std::string> PortsWithSavedFiles(const std::string& folder);
// Every record of the history, for a small one.
std::vector<HistoryRecord> ReadHistory(const std::string& folder);
// The records of the last `presses` presses among `records` (oldest first),
// as ReadLastPresses takes them from the file.
std::vector<HistoryRecord> LastPresses(const std::vector<HistoryRecord>& records, std::size_t presses);

// Keeps history.csv to this year's and last year's records: older ones move
// to history-YYYY.csv, one file for each year, and a history of the older
// form (no delete and clock columns) gets the new header. A press calls it
// as it starts, holding the press lock; it rewrites the file only when
// there is something to do, about once a year. "" when done, else why not.
std::string TidyHistory(const std::string& folder, const LocalTime& today);

// The CSV of the history, shared by its reader and its tidying.
namespace history_csv {

// The header line, with its line end.
std::string HeaderLine();
// Whether a record, or the header line, begins at the start of `text`:
// every record begins with its date and time, "2026-12-09 18:02:11,".
bool StartsRecord(std::string_view text);
bool StartsHeader(std::string_view text);
// The record of one record's text, line end included; nothing for the
// header, a line a crash cut short, or anything else that is no record.
std::optional<HistoryRecord> ParseRecord(std::string_view text);

}  // namespace history_csv

}  // namespace bayhaul
