#include "press/part_files.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <ctime>
#include <filesystem>
#include <optional>
#include <set>
#include <vector>

#include "files/durable_file.h"
#include "files/own_file.h"
#include "settings/output_naming.h"

namespace bayhaul {

namespace {

namespace fs = std::filesystem;

constexpr char kRecordHeading[] = "Bayhaul is writing this file; should it be left, the next press removes it.";
constexpr char kRecordSuffix[] = ".record";
constexpr std::size_t kLongestRecord = 64 * 1024;

// One part path, and who claimed it.
struct Record {
    std::string file;  // the record's own path
    std::string host;
    unsigned long process = 0;
    std::string started;  // when that process started (ProcessStart); "" when unknown
    std::string press;
    std::string part;
};

// The claims live in this process, which no clean-up may take for leftovers.
std::mutex liveMutex;
std::set<std::string> liveClaims;

bool Live(const std::string& record) {
    std::lock_guard lock(liveMutex);
    return liveClaims.count(record) > 0;
}

void SetLive(const std::string& record, bool live) {
    std::lock_guard lock(liveMutex);
    if (live)
        liveClaims.insert(record);
    else
        liveClaims.erase(record);
}

std::string Now() {
    const std::time_t now = std::time(nullptr);
    char text[32] = "";
    if (const std::tm* local = std::localtime(&now)) std::strftime(text, sizeof text, "%Y-%m-%d %H:%M:%S", local);
    return text;
}

// "host pc1\nprocess 4242\n...": each field on a line of its own, the part
// path last, so that nothing in it can be taken for another field.
std::string RecordText(const Record& record) {
    return std::string(kRecordHeading) + "\nhost " + record.host + "\nprocess " + std::to_string(record.process) +
           "\nstarted " + record.started + "\nsince " + Now() + "\npress " + record.press + "\npart " + record.part +
           "\n";
}

std::optional<std::string> FieldOf(const std::string& text, const std::string& key) {
    const std::size_t start = text.find("\n" + key + " ");
    if (start == std::string::npos) return std::nullopt;
    const std::size_t from = start + key.size() + 2;
    return text.substr(from, text.find('\n', from) - from);
}

std::optional<Record> ReadRecord(const std::string& file) {
    FileResult opened;
    const std::unique_ptr<OwnFileReader> reader = OwnFileReader::Open(file, opened);
    const std::optional<std::uint64_t> size = reader ? reader->Size() : std::nullopt;
    if (!size || *size > kLongestRecord) return std::nullopt;
    std::string text(static_cast<std::size_t>(*size), '\0');
    if (reader->ReadAt(0, text.data(), text.size()) != text.size() || text.empty() || text.back() != '\n')
        return std::nullopt;
    const std::optional<std::string> host = FieldOf(text, "host"), process = FieldOf(text, "process"),
                                     started = FieldOf(text, "started"), press = FieldOf(text, "press");
    const std::size_t part = text.find("\npart ");
    if (!host || !process || !press || part == std::string::npos) return std::nullopt;
    const std::size_t from = part + 6;
    Record record{file,
                  *host,
                  std::strtoul(process->c_str(), nullptr, 10),
                  started.value_or(""),
                  *press,
                  text.substr(from, text.size() - 1 - from)};
    if (record.process == 0 || record.part.empty()) return std::nullopt;
    return record;
}

// The records in `folder`: regular files of our suffix, never reached
// through a link.
std::vector<Record> RecordsIn(const fs::path& folder) {
    std::vector<Record> records;
    std::error_code error;
    if (!fs::is_directory(fs::symlink_status(folder, error))) return records;
    for (fs::directory_iterator entry(folder, error), end; !error && entry != end; entry.increment(error)) {
        const std::string name = entry->path().filename().string();
        if (name.size() <= std::char_traits<char>::length(kRecordSuffix) ||
            name.compare(name.size() - std::char_traits<char>::length(kRecordSuffix), std::string::npos,
                         kRecordSuffix) != 0)
            continue;
        if (std::optional<Record> record = ReadRecord(entry->path().string())) records.push_back(std::move(*record));
    }
    return records;
}

// Whether the press that made the record has ended: its process no longer
// runs on this computer (a process of that number that started at another
// time is another, after a restart of the computer say), or it is this
// process, which holds no such claim. Another computer's records are never
// judged from here.
bool Ended(const Record& record) {
    if (record.host != ThisHost()) return false;
    if (record.process == ThisProcess()) return !Live(record.file);
    if (!ProcessRuns(record.process)) return true;
    const std::string started = ProcessStart(record.process);
    return !record.started.empty() && !started.empty() && started != record.started;
}

// Who holds the part path of a record that has not ended, in words.
std::string Holder(const Record& record) {
    if (record.host != ThisHost()) return "Bayhaul on " + record.host;
    return "another Bayhaul (process " + std::to_string(record.process) + ")";
}

std::time_t TimeOf(fs::file_time_type moment) {
    return std::chrono::system_clock::to_time_t(
        std::chrono::system_clock::now() +
        std::chrono::duration_cast<std::chrono::system_clock::duration>(moment - fs::file_time_type::clock::now()));
}

bool Present(const std::string& path) {
    std::error_code error;
    return fs::exists(fs::symlink_status(path, error));
}

// What became of a part file of ours that is to go.
enum class Removal { Gone, Failed, Unreachable };

// Removes the part file and its temporary files; `removed` counts them,
// `ended` is the latest time one was written, `why` why one could not go.
// Something other than a file at the name is not ours and is left alone.
// A part in a folder that is not there now (a drive not plugged in) waits.
Removal RemovePart(const std::string& part, std::size_t& removed, std::time_t& ended, std::string& why) {
    std::error_code error;
    const fs::path folder = fs::path(part).parent_path();
    if (!folder.empty() && !fs::is_directory(folder, error)) return Removal::Unreachable;
    removed += RemoveAbandonedTemporaries(part);
    const fs::file_status status = fs::symlink_status(part, error);
    if (!fs::is_regular_file(status)) return Removal::Gone;
    const fs::file_time_type written = fs::last_write_time(part, error);
    if (!error) ended = std::max(ended, TimeOf(written));
    if (fs::remove(part, error)) {
        ++removed;
        return Removal::Gone;
    }
    why = "could not remove " + part + ": " + error.message();
    return Removal::Failed;
}

// "10 Dec at 13:44", in the PC's local time.
std::string DayAndTime(std::time_t moment) {
    static const char* const kMonths[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                          "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
    const std::tm* local = std::localtime(&moment);
    if (!local) return "an unknown day";
    char time[8];
    std::strftime(time, sizeof time, "%H:%M", local);
    return std::to_string(local->tm_mday) + " " + kMonths[local->tm_mon] + " at " + time;
}

std::string FilesText(std::size_t count) {
    return std::to_string(count) + " unfinished file" + (count == 1 ? "" : "s");
}

std::string NewRecordPath(const fs::path& folder) {
    static std::atomic<unsigned long> count{0};
    for (;;) {
        const fs::path path =
            folder / (ThisHost() + "-" + std::to_string(ThisProcess()) + "-" + std::to_string(++count) + kRecordSuffix);
        if (!Present(path.string())) return path.string();
    }
}

}  // namespace

PartFiles::PartFiles(std::string stateFolder, std::string press)
    : stateFolder_(std::move(stateFolder)), press_(std::move(press)) {}

PartFiles::~PartFiles() {
    std::vector<std::string> parts;
    {
        std::lock_guard lock(mutex_);
        for (const auto& [part, record] : claimed_) parts.push_back(part);
    }
    for (const std::string& part : parts) Release(part);
}

std::string PartFiles::Claim(const std::string& folder, const std::string& baseName, const std::string& extension,
                             std::int16_t port, std::string& why) {
    const std::string part =
        JoinSavePath(folder, baseName, "", extension) + ".COM" + std::to_string(port) + kPartSuffix;
    std::lock_guard lock(mutex_);
    if (claimed_.count(part) > 0) {
        why = "the name " + part + " is in use by another transfer of this press";
        return "";
    }
    if (stateFolder_.empty()) {
        why = "there is no folder for Bayhaul's state, where " + part + " would be recorded";
        return "";
    }
    const fs::path records = fs::path(stateFolder_) / kUnfinishedFolder;
    std::error_code error;
    fs::create_directories(records, error);
    if (!fs::is_directory(fs::symlink_status(records, error))) {
        why = "cannot record " + part + ": " + records.string() + " is not a folder of Bayhaul's: remove it";
        return "";
    }
    // Earlier records of the name: a press of ours that ended left them,
    // and maybe its file; any other claim keeps the name from us.
    std::vector<Record> earlier;
    for (Record& record : RecordsIn(records)) {
        if (record.part != part) continue;
        if (!Ended(record)) {
            why = "the name " + part + " is in use by " + Holder(record);
            return "";
        }
        earlier.push_back(std::move(record));
    }
    if (Present(part)) {
        if (earlier.empty()) {
            why = "the name " + part + " is taken by a file Bayhaul did not make";
            return "";
        }
        std::size_t removed = 0;
        std::time_t ended = 0;
        if (RemovePart(part, removed, ended, why) != Removal::Gone || Present(part)) {
            if (why.empty()) why = "the name " + part + " is taken by something Bayhaul did not make";
            return "";
        }
    }
    for (const Record& record : earlier) fs::remove(record.file, error);

    const Record record{NewRecordPath(records), ThisHost(), ThisProcess(), ProcessStart(ThisProcess()), press_, part};
    if (const FileResult written = ReplaceFileContent(record.file, RecordText(record)); !written.ok) {
        why = "cannot record " + part + " before it is written: " + written.error;
        return "";
    }
    SetLive(record.file, true);
    claimed_.emplace(part, record.file);
    return part;
}

void PartFiles::Release(const std::string& part) {
    std::lock_guard lock(mutex_);
    const auto claim = claimed_.find(part);
    if (claim == claimed_.end()) return;
    std::size_t removed = 0;
    std::time_t ended = 0;
    std::string why;
    std::error_code error;
    if (RemovePart(part, removed, ended, why) == Removal::Gone) fs::remove(claim->second, error);
    SetLive(claim->second, false);
    claimed_.erase(claim);
}

std::string RemoveUnfinishedFiles(const std::string& stateFolder) {
    if (stateFolder.empty()) return "";
    const std::vector<Record> records = RecordsIn(fs::path(stateFolder) / kUnfinishedFolder);
    struct Press {
        std::size_t files = 0;
        std::time_t ended = 0;
    };
    std::map<std::string, Press> presses;
    std::vector<std::string> failures;
    for (const Record& record : records) {
        if (!Ended(record)) continue;
        // A press that runs may have claimed the same name since.
        const bool claimedAgain = std::any_of(records.begin(), records.end(), [&](const Record& other) {
            return other.part == record.part && !Ended(other);
        });
        if (claimedAgain) continue;
        Press& press = presses[record.press];
        std::error_code error;
        const fs::file_time_type recorded = fs::last_write_time(record.file, error);
        std::string why;
        const Removal removal = RemovePart(record.part, press.files, press.ended, why);
        if (removal == Removal::Failed) failures.push_back(why);
        if (removal == Removal::Gone) fs::remove(record.file, error);
        if (press.ended == 0 && !error) press.ended = TimeOf(recorded);
    }
    std::size_t files = 0, withFiles = 0;
    std::time_t last = 0;
    for (const auto& [id, press] : presses) {
        if (press.files == 0) continue;
        files += press.files;
        ++withFiles;
        last = std::max(last, press.ended);
    }
    std::string words;
    if (withFiles == 1) words = "removed " + FilesText(files) + " of a press that ended on " + DayAndTime(last);
    if (withFiles > 1)
        words = "removed " + FilesText(files) + " of " + std::to_string(withFiles) +
                " presses that ended, the last on " + DayAndTime(last);
    for (const std::string& failure : failures) words += (words.empty() ? "" : "; ") + failure;
    return words;
}

}  // namespace bayhaul
