#include "tether/lib/port_connection.h"

#include <algorithm>
#include <random>

#include "ports/com_number.h"
#include "tether/core/link_messages.h"
#include "tether/core/serial_port.h"
#include "tether/core/ymodem.h"
#include "tether/core/ymodem_receiver.h"
#include "tether/lib/com_device.h"
#include "files/durable_file.h"
#include "files/sha256.h"

namespace bayhaul::tether {
namespace {

constexpr milliseconds kFallbackQuiet{100};
constexpr milliseconds kFallbackDrainLimit{3000};
// Before Identify: a terminal still streaming a file to a PC that went away
// stops at our cancel, and what it sent meanwhile drains from the line.
constexpr milliseconds kConnectQuiet{10};
constexpr milliseconds kConnectDrainLimit{1000};
// Two streamed phases in a row that each bring less than this before an
// error show that errors persist: the rest comes with acknowledged blocks.
constexpr std::uint64_t kWorthStreaming = 2048;

std::int16_t TransferCode(ymodem::ReceiveOutcome outcome) {
    using ymodem::ReceiveOutcome;
    switch (outcome) {
        case ReceiveOutcome::Complete:
            return transfer::kDone;
        case ReceiveOutcome::TimedOut:
            return transfer::kTimedOut;
        case ReceiveOutcome::LineLost:
            return transfer::kLineLost;
        case ReceiveOutcome::SizeMismatch:
            return transfer::kSizeWrong;
        case ReceiveOutcome::SinkFailed:
            return transfer::kLocalFileError;
        case ReceiveOutcome::Cancelled:
            return transfer::kCancelled;
        default:
            return transfer::kProtocolFailure;
    }
}

// The failure code for a received file that could not be written.
std::int16_t LocalFileCode(FileProblem problem) {
    switch (problem) {
        case FileProblem::DiskFull:
            return transfer::kDiskFull;
        case FileProblem::ReadOnly:
            return transfer::kReadOnlyFolder;
        case FileProblem::NoPermission:
            return transfer::kFolderNotAllowed;
        case FileProblem::PathTooLong:
            return transfer::kPathTooLong;
        case FileProblem::InTheWay:
            return transfer::kPathInTheWay;
        default:
            return transfer::kLocalFileError;
    }
}

std::int16_t ExchangeFailureCode(ExchangeStatus status) {
    switch (status) {
        case ExchangeStatus::LineLost:
            return transfer::kLineLost;
        case ExchangeStatus::Cancelled:
            return transfer::kCancelled;
        default:
            return transfer::kNoAnswer;
    }
}

}  // namespace

PortConnection::~PortConnection() {
    Disconnect();
}

std::int16_t PortConnection::Setup(int com, std::uint8_t speedCode, std::uint8_t stopBitsCode,
                                   std::uint8_t parityCode) {
    std::lock_guard lock(calls_);
    if (Downloading()) return result::kBusy;
    if (com < 1 || com > kMaxComNumber || (speedCode != '8' && speedCode != '9') || stopBitsCode != '1' ||
        parityCode != 'N') {
        return result::kBadArgument;
    }
    CloseLine();
    com_ = com;
    bitsPerSecond_ = BitsPerSecondFor(static_cast<char>(speedCode));
    return result::kOk;
}

void PortConnection::CloseLine() {
    if (download_.joinable()) download_.join();
    reader_.reset();
    line_.reset();
}

std::int16_t PortConnection::Connect() {
    std::lock_guard lock(calls_);
    if (Downloading()) return result::kBusy;
    if (com_ == 0) return result::kNotSetUp;
    CloseLine();
    const auto device = ComDevicePath(com_);
    if (!device) return result::kNoSuchPort;
    OpenedPort port = OpenSerialPort(*device, bitsPerSecond_);
    if (port.error == OpenError::Busy) return result::kPortBusy;
    if (port.error == OpenError::NoPermission) return result::kPortNoPermission;
    if (!port.line) return result::kPortError;
    line_ = std::move(port.line);
    reader_ = std::make_unique<LineReader>(*line_, &cancel_);
    seq_ = static_cast<std::uint8_t>(std::random_device{}());
    lastCopy_.reset();
    reader_->WriteRepeated(ymodem::kCan, ymodem::kCancelCount);
    if (reader_->Drain(kConnectQuiet, kConnectDrainLimit) == Wait::Closed) {
        CloseLine();
        return result::kNobodyAnswered;
    }

    const Frame identify{msg::kIdentify, ++seq_, {}};
    const ExchangeResult answer = Exchange(*reader_, identify, ConnectPolicy());
    const bool terminal = answer.status == ExchangeStatus::Answered &&
                          answer.answer.type == AnswerType(msg::kIdentify) && !answer.answer.payload.empty() &&
                          answer.answer.payload[0] >= 1;
    if (!terminal) {
        CloseLine();  // frees the port for others at once
        return answer.garbled ? result::kLineNoisy : result::kNobodyAnswered;
    }
    version_ = answer.answer.payload[0];
    return result::kOk;
}

std::int16_t PortConnection::RequestBlocker() const {
    if (Downloading()) return result::kBusy;
    if (!line_) return result::kNotConnected;
    return 0;
}

ExchangeResult PortConnection::Ask(std::uint8_t type, const std::string& payload) {
    return Exchange(*reader_, Frame{type, ++seq_, BytesOf(payload)}, RequestPolicy(bitsPerSecond_));
}

// The result for an exchange that did not bring the expected answer.
std::int16_t PortConnection::AnswerFailure(const ExchangeResult& result) {
    if (result.status == ExchangeStatus::LineLost) CloseLine();
    if (result.status != ExchangeStatus::Answered) return result::kNoAnswer;
    return result::kRefused;
}

std::int16_t PortConnection::QueryFile(const std::string& name) {
    std::lock_guard lock(calls_);
    if (const auto blocked = RequestBlocker()) return blocked;
    if (name.empty() || name.size() > kMaxPayload) return result::kBadArgument;
    const ExchangeResult r = Ask(msg::kQueryFile, name);
    const auto& payload = r.answer.payload;
    if (r.status == ExchangeStatus::Answered && r.answer.type == AnswerType(msg::kQueryFile)) {
        const auto size = ReadU32(payload, 1);
        if (!size) return result::kRefused;
        if (payload[0] == 0) return result::kNoSuchFile;
        return *size > 0 ? result::kFileHasData : result::kFileEmpty;
    }
    return AnswerFailure(r);
}

// A terminal that knows how deletes the file only while it is still the one
// this handle copied last: its size and SHA-256 go with the request.
std::int16_t PortConnection::DeleteFile(const std::string& name) {
    std::lock_guard lock(calls_);
    if (const auto blocked = RequestBlocker()) return blocked;
    if (name.empty() || name.size() > kMaxPayload) return result::kBadArgument;
    const bool conditional = version_ >= msg::kDeleteIfSameVersion && lastCopy_ && lastCopy_->name == name &&
                             lastCopy_->print.size <= UINT32_MAX;
    std::uint8_t type = msg::kDeleteFile;
    std::string payload = name;
    if (conditional) {
        type = msg::kDeleteIfSame;
        std::vector<std::uint8_t> fingerprint;
        AppendU32(fingerprint, static_cast<std::uint32_t>(lastCopy_->print.size));
        fingerprint.insert(fingerprint.end(), lastCopy_->print.digest.begin(), lastCopy_->print.digest.end());
        payload.insert(payload.begin(), fingerprint.begin(), fingerprint.end());
        if (payload.size() > kMaxPayload) return result::kBadArgument;
    }
    const ExchangeResult r = Ask(type, payload);
    if (r.status == ExchangeStatus::Answered && r.answer.type == AnswerType(type) && r.answer.payload.size() == 1) {
        switch (r.answer.payload[0]) {
            case msg::kDeleted:
                return result::kOk;
            case msg::kNothingToDelete:
                return result::kNoSuchFile;
            case msg::kKeptChanged:
                if (conditional) return result::kFileChanged;
                break;
        }
        return result::kRefused;
    }
    return AnswerFailure(r);
}

std::int16_t PortConnection::SetClock(const std::string& stamp) {
    std::lock_guard lock(calls_);
    if (const auto blocked = RequestBlocker()) return blocked;
    if (!IsValidClockText(stamp)) return result::kBadArgument;
    const ExchangeResult r = Ask(msg::kSetClock, stamp);
    if (r.status == ExchangeStatus::Answered && r.answer.type == AnswerType(msg::kSetClock)) return result::kOk;
    return AnswerFailure(r);
}

void PortConnection::RejectDownload(std::int16_t reason) {
    std::lock_guard lock(calls_);
    if (!Downloading()) state_ = reason;
}

std::int16_t PortConnection::StartDownload(const std::string& localPath, const std::string& name) {
    std::lock_guard lock(calls_);
    if (Downloading()) return result::kNotStarted;  // the running one keeps its state
    if (name.empty() || name.size() > kMaxPayload || localPath.empty()) {
        state_ = transfer::kBadArgument;
        return result::kNotStarted;
    }
    if (!line_) {
        state_ = transfer::kNoTransfer;
        return result::kNotStarted;
    }
    FileResult created;
    auto file = DurableFile::Create(localPath, created);
    if (!file) {
        state_ = LocalFileCode(created.problem);
        return result::kNotStarted;
    }
    if (download_.joinable()) download_.join();
    received_ = 0;
    announced_ = 0;
    state_ = transfer::kRequested;
    lastCopy_.reset();
    download_ = std::thread(&PortConnection::RunDownload, this, std::move(file), localPath, name);
    return result::kStarted;
}

// The whole file, then the check that it is the terminal's file: a file
// that changed between two parts of a resumed copy, or during it, mixes old
// and new records. A difference has the file copied again from its start,
// once; then it fails.
void PortConnection::RunDownload(std::unique_ptr<DurableFile> file, std::string localPath, std::string name) {
    Progress progress;
    std::int16_t code = ReceiveWhole(*file, name, progress);
    for (int copies = 1; code == transfer::kDone; ++copies) {
        code = CheckWhole(name, progress);
        if (code != transfer::kChangedDuringCopy || copies == 2) break;
        code = ReceiveWhole(*file, name, progress = {});
    }
    if (code == transfer::kLocalFileError) code = LocalFileCode(file->LastFailure().problem);
    if (code == transfer::kDone) {
        const FileResult committed = file->Commit();
        if (!committed.ok) code = LocalFileCode(committed.problem);
    }
    file.reset();  // removes the temporary file unless committed
    // What a delete must find on the terminal: the copy as it is on disk.
    if (code == transfer::kDone) {
        const auto print = FingerprintOfFile(localPath);
        if (print)
            lastCopy_ = Copy{name, *print};
        else
            code = transfer::kLocalFileError;
    }
    state_ = code;
}

// Streams ('G'). After an error in the stream a terminal that can resume is
// asked at once for the rest, from the first byte not yet received, as
// often as it takes within the file phase's limit; whatever of the broken
// stream is still on the line is skipped while the answer is awaited. While
// errors persist (two streamed phases in a row that brought little) the
// rest comes with acknowledged blocks, a few of them on the line at once
// ('W'), each error then costing a few blocks. An older
// terminal is asked for the whole file again with acknowledged blocks ('C').
std::int16_t PortConnection::ReceiveWhole(DurableFile& file, const std::string& name, Progress& progress) {
    bool streamFailed = false;
    std::int16_t code = DownloadAttempt(file, name, ymodem::kStreamMode, progress, streamFailed);
    const bool canResume = version_ >= msg::kResumeVersion && name.size() + 4 <= kMaxPayload;
    std::uint64_t phaseStart = 0;
    int shortPhases = 0;  // in a row
    while (streamFailed && canResume) {
        shortPhases = progress.received - phaseStart < kWorthStreaming ? shortPhases + 1 : 0;
        phaseStart = progress.received;
        progress.resuming = true;
        const std::uint8_t mode = shortPhases >= 2 ? ymodem::kWindowMode : ymodem::kStreamMode;
        code = DownloadAttempt(file, name, mode, progress, streamFailed);
    }
    if (streamFailed) {
        const Wait drained = reader_->Drain(kFallbackQuiet, kFallbackDrainLimit);
        if (drained == Wait::Closed) return transfer::kLineLost;
        if (drained == Wait::Cancelled) return transfer::kCancelled;
        Progress whole;  // the whole file again; the damage seen so far counts still
        whole.damaged = progress.damaged;
        code = DownloadAttempt(file, name, ymodem::kCrcMode, progress = whole, streamFailed);
    }
    // A transfer that went quiet after damaged blocks was ended by errors on
    // the line; one that went quiet once resumed had started, so its
    // terminal stopped sending rather than not answering.
    if (code == transfer::kTimedOut || code == transfer::kNoAnswer) {
        if (progress.damaged > 0) return transfer::kProtocolFailure;
        if (progress.resuming) return transfer::kTimedOut;
    }
    return code;
}

std::int16_t PortConnection::CheckWhole(const std::string& name, const Progress& progress) {
    if (version_ < msg::kFileDigestVersion) return transfer::kDone;
    const ExchangeResult r = Ask(msg::kQueryFile, name);
    if (r.status == ExchangeStatus::Cancelled) return transfer::kCancelled;
    if (r.status != ExchangeStatus::Answered || r.answer.type != AnswerType(msg::kQueryFile)) {
        return r.status == ExchangeStatus::LineLost ? transfer::kLineLost : transfer::kNotConfirmed;
    }
    // Present (1 byte), size (4), SHA-256 (32).
    const auto& payload = r.answer.payload;
    const std::optional<std::uint32_t> size = ReadU32(payload, 1);
    if (!size) return transfer::kNotConfirmed;
    if (payload[0] == 0) return transfer::kChangedDuringCopy;  // the file went meanwhile
    constexpr std::size_t kDigestAt = 5;
    const Sha256Digest digest = Sha256(progress.digest).Finish();
    if (payload.size() < kDigestAt + digest.size()) return transfer::kDone;  // a terminal that does not tell it
    const bool same =
        *size == progress.received && std::equal(digest.begin(), digest.end(), payload.begin() + kDigestAt);
    return same ? transfer::kDone : transfer::kChangedDuringCopy;
}

std::int16_t PortConnection::DownloadAttempt(DurableFile& file, const std::string& name, std::uint8_t startChar,
                                             Progress& progress, bool& streamFailed) {
    streamFailed = false;
    received_ = static_cast<std::int64_t>(progress.received);
    state_ = transfer::kRequested;
    if (!progress.resuming) {
        if (!file.Restart()) return transfer::kLocalFileError;
        progress.digest = Sha256();
    }
    std::string request = name;
    if (progress.resuming) {
        std::vector<std::uint8_t> offset;
        AppendU32(offset, static_cast<std::uint32_t>(progress.received));
        request.insert(request.begin(), offset.begin(), offset.end());
    }
    // A resume follows our cancel; it goes again before every try, so a
    // terminal that missed it on a noisy line leaves its file phase.
    const std::vector<std::uint8_t> cancel(progress.resuming ? ymodem::kCancelCount : 0, ymodem::kCan);
    const ExchangeResult ready =
        Exchange(*reader_, Frame{progress.resuming ? msg::kSendFrom : msg::kSendFile, ++seq_, BytesOf(request)},
                 RequestPolicy(bitsPerSecond_), cancel);
    if (ready.status != ExchangeStatus::Answered) return ExchangeFailureCode(ready.status);
    if (ready.answer.type == msg::kRefused) {
        const bool missing =
            !ready.answer.payload.empty() && ready.answer.payload[0] == static_cast<std::uint8_t>(Refusal::NoSuchFile);
        return missing ? transfer::kNoSuchFile : transfer::kProtocolFailure;
    }
    const auto size = ReadU32(ready.answer.payload, 0);
    if (!size || (progress.resuming && *size != static_cast<std::uint64_t>(announced_.load()))) {
        return transfer::kProtocolFailure;  // not the file of the first answer
    }
    announced_ = *size;

    // Counts progress for TransferStatus while passing the data on to the file.
    class ProgressSink : public ymodem::ReceiveSink {
    public:
        ProgressSink(PortConnection& session, DurableFile& file, Sha256& digest, std::uint64_t promised)
            : session_(session), file_(file), digest_(digest), promised_(promised) {}
        // Block 0 must announce the size the send request's answer gave.
        bool Announced(std::uint64_t size) override {
            if (size != promised_) return false;
            session_.state_ = transfer::kReceiving;
            return true;
        }
        bool Append(const std::uint8_t* data, std::size_t size) override {
            if (!file_.Append(data, size)) return false;
            digest_.Add(data, size);
            session_.received_ += static_cast<std::int64_t>(size);
            return true;
        }

    private:
        PortConnection& session_;
        DurableFile& file_;
        Sha256& digest_;
        const std::uint64_t promised_;
    } sink(*this, file, progress.digest, *size);

    ymodem::ReceiveOptions options;
    options.startChar = startChar;
    options.bitsPerSecond = bitsPerSecond_;
    options.offset = progress.received;
    options.deadline = progress.deadline;
    const ymodem::ReceiveResult received = ymodem::ReceiveFile(*reader_, sink, options);
    progress.received = received.received;
    progress.deadline = received.deadline;
    progress.damaged += received.damaged;
    if (received.outcome == ymodem::ReceiveOutcome::StreamError) {
        streamFailed = true;
        return transfer::kProtocolFailure;
    }
    return TransferCode(received.outcome);
}

std::int16_t PortConnection::TransferStatus(std::int32_t* received, std::int32_t* announced) const {
    const auto clamp = [](std::int64_t v) { return static_cast<std::int32_t>(std::min<std::int64_t>(v, INT32_MAX)); };
    if (received) *received = clamp(received_.load());
    if (announced) *announced = clamp(announced_.load());
    return state_.load();
}

std::int16_t PortConnection::Disconnect() {
    cancel_ = true;
    std::lock_guard lock(calls_);
    CloseLine();
    cancel_ = false;
    return result::kOk;
}

}  // namespace bayhaul::tether
