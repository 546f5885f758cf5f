// Keeping the history to a size a spreadsheet opens: records of the years
// before last move to a file of their year, copied byte for byte.
#include <filesystem>
#include <map>
#include <memory>

#include "files/durable_file.h"
#include "files/own_file.h"
#include "press/history.h"

namespace bayhaul {

namespace {

namespace fs = std::filesystem;

constexpr std::size_t kChunk = 64 * 1024;
// What the first look reads: the header and the first record.
constexpr std::size_t kHead = 4096;

// A file being written anew, written in chunks rather than record by record.
class Destination {
public:
    static std::unique_ptr<Destination> Create(const std::string& path, std::string& why) {
        FileResult result;
        std::unique_ptr<DurableFile> file = DurableFile::Create(path, result);
        if (!file) {
            why = result.error;
            return nullptr;
        }
        return std::unique_ptr<Destination>(new Destination(std::move(file)));
    }

    bool Write(std::string_view text) {
        buffer_ += text;
        return buffer_.size() < kChunk || Flush();
    }
    std::string Commit() {
        if (!Flush()) return file_->LastFailure().error;
        const FileResult committed = file_->Commit();
        return committed.ok ? "" : committed.error;
    }
    std::string Failure() const { return file_->LastFailure().error; }

private:
    explicit Destination(std::unique_ptr<DurableFile> file) : file_(std::move(file)) {}
    bool Flush() {
        const bool written = file_->Append(buffer_.data(), buffer_.size());
        buffer_.clear();
        return written;
    }
    std::unique_ptr<DurableFile> file_;
    std::string buffer_;
};

// Reads `file` from `offset` to `end` in chunks, handing each to `use`;
// false when a read fails or `use` says stop.
template <typename Use>
bool ReadRange(OwnFileReader& file, std::uint64_t offset, std::uint64_t end, Use use) {
    std::string chunk;
    while (offset < end) {
        chunk.resize(static_cast<std::size_t>(std::min<std::uint64_t>(kChunk, end - offset)));
        const std::optional<std::size_t> got = file.ReadAt(offset, chunk.data(), chunk.size());
        if (!got || *got != chunk.size()) return false;
        if (!use(std::string_view(chunk))) return false;
        offset += chunk.size();
    }
    return true;
}

// The history being split: the kept records into a new history.csv, older
// ones into the file of their year, each begun with the old content of
// that file, or the header when it is new.
class Split {
public:
    Split(std::string folder, int keepFrom) : folder_(std::move(folder)), keepFrom_(keepFrom) {}

    bool Start(std::string& why) {
        kept_ = Destination::Create((fs::path(folder_) / kHistoryFile).string(), why);
        return kept_ && kept_->Write(history_csv::HeaderLine());
    }

    // Sends what follows to where the record at the start of `text` goes.
    bool Begin(std::string_view text, std::string& why) {
        if (history_csv::StartsHeader(text)) {
            current_ = nullptr;  // the new file has a header of its own
            return true;
        }
        const int year = history_csv::StartsRecord(text) ? std::stoi(std::string(text.substr(0, 4))) : keepFrom_;
        current_ = year >= keepFrom_ ? kept_.get() : YearFile(year, why);
        return current_ != nullptr;
    }
    bool Write(std::string_view text) { return !current_ || current_->Write(text); }
    std::string Failure() const { return current_ ? current_->Failure() : ""; }

    // The files of the years first: should anything fail after them, their
    // records are in two places, never in none.
    std::string Commit() {
        for (auto& [year, file] : years_) {
            if (const std::string why = file->Commit(); !why.empty()) return why;
        }
        return kept_->Commit();
    }

private:
    Destination* YearFile(int year, std::string& why) {
        if (const auto found = years_.find(year); found != years_.end()) return found->second.get();
        const std::string path = (fs::path(folder_) / ("history-" + std::to_string(year) + ".csv")).string();
        std::unique_ptr<Destination> file = Destination::Create(path, why);
        if (!file || !BeginYear(*file, path, why)) return nullptr;
        return years_.emplace(year, std::move(file)).first->second.get();
    }

    // Begins a year's file with what it holds, or with the header when new.
    static bool BeginYear(Destination& file, const std::string& path, std::string& why) {
        std::error_code error;
        if (!fs::exists(fs::symlink_status(path, error))) {
            if (file.Write(history_csv::HeaderLine())) return true;
            why = file.Failure();
            return false;
        }
        FileResult opened;
        const std::unique_ptr<OwnFileReader> old = OwnFileReader::Open(path, opened);
        if (!old) {
            why = opened.error;
            return false;
        }
        const std::optional<std::uint64_t> size = old->Size();
        if (size && ReadRange(*old, 0, *size, [&](std::string_view chunk) { return file.Write(chunk); })) return true;
        why = old->LastFailure().ok ? file.Failure() : old->LastFailure().error;
        return false;
    }

    const std::string folder_;
    const int keepFrom_;
    std::unique_ptr<Destination> kept_;
    std::map<int, std::unique_ptr<Destination>> years_;
    Destination* current_ = nullptr;
};

// Whether the history at `path` needs tidying: a header of the older form,
// or a first record from before `keepFrom`.
bool NeedsTidying(OwnFileReader& file, std::uint64_t size, int keepFrom) {
    std::string head(static_cast<std::size_t>(std::min<std::uint64_t>(kHead, size)), '\0');
    const std::optional<std::size_t> got = file.ReadAt(0, head.data(), head.size());
    if (!got) return false;
    head.resize(*got);
    const std::string header = history_csv::HeaderLine();
    if (history_csv::StartsHeader(head) && head.compare(0, header.size(), header) != 0) return true;
    for (std::size_t start = 0; start < head.size(); start = head.find('\n', start) + 1) {
        const std::string_view at = std::string_view(head).substr(start);
        if (history_csv::StartsRecord(at)) return std::stoi(std::string(at.substr(0, 4))) < keepFrom;
        if (head.find('\n', start) == std::string::npos) break;
    }
    return false;
}

}  // namespace

std::string TidyHistory(const std::string& folder, const LocalTime& today) {
    const std::string path = (fs::path(folder) / kHistoryFile).string();
    // What a tidying cut off by a power cut left, where files get names.
    RemoveAbandonedTemporaries(path);
    std::error_code error;
    if (!fs::exists(fs::symlink_status(path, error))) return "";
    FileResult opened;
    std::unique_ptr<OwnFileReader> file = OwnFileReader::Open(path, opened);
    if (!file) return "cannot tidy the history: " + opened.error;
    const int keepFrom = today.year - 1;
    const std::optional<std::uint64_t> size = file->Size();
    if (!size || !NeedsTidying(*file, *size, keepFrom)) return "";

    std::string why;
    Split split(folder, keepFrom);
    if (!split.Start(why)) return "cannot tidy the history: " + why;
    // Each piece of text goes where the record it belongs to goes: a record
    // begins at a line start with its date and time.
    std::string pending;  // from the start of the current record on
    bool begun = false;
    std::size_t scan = 0;  // line ends before this have been looked at
    const auto piece = [&](std::string_view chunk) {
        pending += chunk;
        for (;;) {
            const std::size_t end = pending.find('\n', scan);
            // The next record's first 20 characters must be there to tell.
            if (end == std::string::npos || end + 21 > pending.size()) break;
            const std::string_view next = std::string_view(pending).substr(end + 1);
            scan = end + 1;
            if (!history_csv::StartsRecord(next) && !history_csv::StartsHeader(next)) continue;
            if (!begun && !split.Begin(pending, why)) return false;
            if (!split.Write(std::string_view(pending).substr(0, end + 1))) return false;
            pending.erase(0, end + 1);
            scan = 0;
            begun = false;
        }
        if (!begun && pending.size() >= 20) {
            if (!split.Begin(pending, why)) return false;
            begun = true;
        }
        // A long record is passed on in pieces, what is known to be its own.
        if (begun && scan > kChunk) {
            if (!split.Write(std::string_view(pending).substr(0, scan))) return false;
            pending.erase(0, scan);
            scan = 0;
        }
        return true;
    };
    // Up to the end as it is when the reading is done: a refused press
    // appends its line without the press lock.
    bool read = true;
    for (std::uint64_t from = 0, to = *size; read && from < to; from = to, to = file->Size().value_or(to)) {
        read = ReadRange(*file, from, to, piece);
    }
    read = read && (begun || split.Begin(pending, why)) && split.Write(pending);
    if (!read) {
        if (why.empty()) why = file->LastFailure().ok ? split.Failure() : file->LastFailure().error;
        return "cannot tidy the history: " + why;
    }
    file.reset();  // Windows renames over no file that is open
    if (const std::string failed = split.Commit(); !failed.empty()) return "cannot tidy the history: " + failed;
    return "";
}

}  // namespace bayhaul
