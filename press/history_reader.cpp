// Reading the history from its end: the last presses of a history of any
// size, a chunk at a time.
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <unordered_map>

#include "files/own_file.h"
#include "press/history.h"

namespace bayhaul {

namespace {

constexpr std::size_t kChunk = 64 * 1024;
// No record is longer; text that long without one is not kept.
constexpr std::size_t kLongestRecord = 1024 * 1024;
// A press's records all come after its start, give or take a clock put back
// (the end of summer time): a day's margin covers that.
constexpr long long kClockMargin = 24 * 60 * 60;

// "2026-12-09 18:02:11" as seconds, for comparing; nothing for anything else.
std::optional<long long> SecondsOf(const std::string& when) {
    int year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0;
    if (std::sscanf(when.c_str(), "%4d-%2d-%2d %2d:%2d:%2d", &year, &month, &day, &hour, &minute, &second) != 6)
        return std::nullopt;
    return DaysSinceEpoch(year, month, day) * 86400LL + hour * 3600 + minute * 60 + second;
}

// The records of a history file from its end backwards. A record begins at
// a line start with its date and time, so a line a crash cut short, even in
// the middle of a quoted field, spoils no other record.
class RecordsFromTheEnd {
public:
    explicit RecordsFromTheEnd(OwnFileReader& file) : file_(file) {
        const std::optional<std::uint64_t> size = file_.Size();
        failed_ = !size;
        position_ = size.value_or(0);
    }

    // The record before the last one given; nothing at the start of the
    // file, or when it could not be read (Failed()).
    std::optional<HistoryRecord> Previous() {
        for (;;) {
            while (unchecked_ > 0) {
                const std::size_t i = --unchecked_;
                const bool lineStart = i == 0 ? position_ == 0 : pending_[i - 1] == '\n';
                const std::string_view at = std::string_view(pending_).substr(i);
                if (!lineStart || (!history_csv::StartsRecord(at) && !history_csv::StartsHeader(at))) continue;
                std::optional<HistoryRecord> record = history_csv::ParseRecord(at);
                pending_.resize(i);
                if (record) return record;  // else the header, or a line cut short
            }
            if (!ReadMore()) return std::nullopt;
        }
    }

    bool Failed() const { return failed_; }

private:
    // Puts the chunk before the pending text in front of it.
    bool ReadMore() {
        if (position_ == 0 || failed_) return false;
        const std::size_t size = static_cast<std::size_t>(std::min<std::uint64_t>(kChunk, position_));
        std::string chunk(size, '\0');
        const std::optional<std::size_t> got = file_.ReadAt(position_ - size, chunk.data(), size);
        if (!got || *got != size) {
            failed_ = true;
            return false;
        }
        position_ -= size;
        if (pending_.size() > kLongestRecord) pending_.resize(kChunk);
        pending_.insert(0, chunk);
        // The old first character is now known to start a line or not.
        unchecked_ = std::min(size + 1, pending_.size());
        return true;
    }

    OwnFileReader& file_;
    std::uint64_t position_ = 0;  // where pending_ begins in the file
    std::string pending_;         // not yet given back, up to the last record given
    std::size_t unchecked_ = 0;   // record starts are yet to be looked for before this
    bool failed_ = false;
};

// Picks the records of the last presses from records given newest first.
class LatestPresses {
public:
    explicit LatestPresses(std::size_t presses) : wanted_(presses) {}

    // Takes the record before those taken so far; false once no earlier
    // record can belong to the presses picked.
    bool Take(HistoryRecord record) {
        if (wanted_ == 0) return false;
        const bool picked = std::find(ids_.begin(), ids_.end(), record.press) != ids_.end();
        if (!picked && ids_.size() == wanted_) {
            const std::optional<long long> when = SecondsOf(record.when);
            return unbounded_ || !earliest_ || !when || *when >= *earliest_ - kClockMargin;
        }
        if (!picked) {
            ids_.push_back(record.press);
            const std::optional<long long> start = SecondsOf(PressStart(record.press));
            if (start)
                earliest_ = std::min(earliest_.value_or(*start), *start);
            else
                unbounded_ = true;
        }
        newestFirst_.push_back(std::move(record));
        return true;
    }

    // Each press's records together, in the order of the file; the presses
    // in the order their first records come.
    std::vector<HistoryRecord> Records() && {
        std::vector<HistoryRecord> records(std::make_move_iterator(newestFirst_.rbegin()),
                                           std::make_move_iterator(newestFirst_.rend()));
        std::unordered_map<std::string, std::size_t> first;
        for (std::size_t i = 0; i < records.size(); ++i) first.emplace(records[i].press, i);
        std::stable_sort(records.begin(), records.end(), [&](const HistoryRecord& a, const HistoryRecord& b) {
            return first.at(a.press) < first.at(b.press);
        });
        return records;
    }

private:
    const std::size_t wanted_;
    std::vector<std::string> ids_;
    std::optional<long long> earliest_;  // the earliest start of those picked
    bool unbounded_ = false;             // a press picked has no start to tell
    std::vector<HistoryRecord> newestFirst_;
};

}  // namespace

HistoryExtract ReadLastPresses(const std::string& folder, std::size_t presses) {
    const std::string path = (std::filesystem::path(folder) / kHistoryFile).string();
    std::error_code error;
    if (!std::filesystem::exists(std::filesystem::symlink_status(path, error))) return {};
    FileResult opened;
    const std::unique_ptr<OwnFileReader> file = OwnFileReader::Open(path, opened);
    if (!file) return {{}, opened.error};
    RecordsFromTheEnd records(*file);
    LatestPresses latest(presses);
    while (std::optional<HistoryRecord> record = records.Previous()) {
        if (!latest.Take(std::move(*record))) break;
    }
    if (records.Failed()) return {{}, file->LastFailure().error};
    return {std::move(latest).Records(), ""};
}

std::set<std::string> PortsWithSavedFiles(const std::string& folder) {
    std::set<std::string> ports;
    const std::string path = (std::filesystem::path(folder) / kHistoryFile).string();
    FileResult opened;
    const std::unique_ptr<OwnFileReader> file = OwnFileReader::Open(path, opened);
    if (!file) return ports;
    RecordsFromTheEnd records(*file);
    while (const std::optional<HistoryRecord> record = records.Previous()) {
        if (!record->file.empty()) ports.insert(record->port);
    }
    return ports;
}

std::vector<HistoryRecord> ReadHistory(const std::string& folder) {
    return ReadLastPresses(folder, SIZE_MAX).records;
}

std::vector<HistoryRecord> LastPresses(const std::vector<HistoryRecord>& records, std::size_t presses) {
    LatestPresses latest(presses);
    for (auto record = records.rbegin(); record != records.rend() && latest.Take(*record); ++record) {
    }
    return std::move(latest).Records();
}

}  // namespace bayhaul
