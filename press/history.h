// The history of presses: history.csv in the user's state folder, one
// record per port that a press tried, for a spreadsheet to open. Records are
// appended as each becomes final, each in one write flushed to disk, so a
// press that dies midway leaves every earlier record whole.
#pragma once

#include <string>
#include <vector>

#include "settings/local_time.h"

namespace bayhaul {

inline constexpr char kHistoryFile[] = "history.csv";

struct HistoryRecord {
    std::string when{};     // when the port's outcome was final, "2026-12-09 18:02:11"
    std::string press{};    // when its press started: the records of one press share it
    std::string port{};     // "COM3"; empty for a press that could not run
    std::string outcome{};  // in words, as the report says it
    std::string file{};     // the saved file; empty when nothing was saved
    std::string bytes{};    // its size; empty when nothing was saved
    std::string sha256{};   // its SHA-256 in hexadecimal; empty when nothing was saved
};

// "2026-12-09 18:02:11".
std::string HistoryTime(const LocalTime& moment);

// Appends the record to the history in `folder` (made when missing), the
// header line first when the file is new; "" when written, else why not.
std::string AppendHistory(const std::string& folder, const HistoryRecord& record);

// Every whole record of the history in `folder`, oldest first. A line that
// a crash cut short, or anything else that is not a record, is left out.
std::vector<HistoryRecord> ReadHistory(const std::string& folder);

// The records of the last `presses` presses, oldest first.
std::vector<HistoryRecord> LastPresses(const std::vector<HistoryRecord>& records, std::size_t presses);

}  // namespace bayhaul
