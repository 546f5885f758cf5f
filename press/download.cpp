#include "press/download.h"

#include <algorithm>
#include <filesystem>
#include <system_error>

#include "files/durable_file.h"
#include "files/sha256.h"
#include "press/com_port_name.h"
#include "press/history.h"
#include "press/port_worker.h"
#include "press/replaced_files.h"
#include "settings/timestamp.h"

namespace bayhaul {

namespace {

using worker::Message;
using worker::Type;
using std::chrono::milliseconds;

// How long the press waits for a worker's message before it looks at the
// clock, a stop and the silent workers again.
constexpr milliseconds kLoopWait{100};

// How far a file has come, 0 to 100, of a size announced (above 0).
int PercentOf(long long received, long long announced) {
    return static_cast<int>(std::min<long long>(100, 100 * received / announced));
}

std::string NotSavedText(const std::string& why) {
    return "not saved: " + why + "; the terminal keeps its data";
}

}  // namespace

std::string SaveFolderProblem(const AppSettings& settings, const PressEnvironment& environment) {
    const std::string& diradd = settings.diradd;
    const std::string folder = ResolveSaveFolder(diradd, environment.specialFolder);
    // A keyword's folder that was not found is named where it would be.
    const auto missingKeyword = [&](const char* what, int folderId) {
        const std::string expected = environment.expectedFolder ? environment.expectedFolder(folderId) : "";
        return std::string("The ") + what + " folder" + (expected.empty() ? "" : " " + expected) + " was not found.";
    };
    std::string missing;
    if (diradd == kDesktopKeyword && folder.empty()) {
        missing = missingKeyword("desktop", kDesktopFolderId);
    } else if (diradd == kDocumentsKeyword && folder.empty()) {
        missing = missingKeyword("documents", kDocumentsFolderId);
    } else if (folder.empty()) {
        missing = "No folder is set for received files.";
    } else {
        std::error_code error;
        if (!std::filesystem::is_directory(folder, error)) missing = "The folder " + folder + " was not found.";
    }
    return missing.empty() ? missing : missing + " " + environment.chooseFolderHint;
}

DownloadFromAllTerminals::DownloadFromAllTerminals(const PressEnvironment& environment, PressInputs& inputs,
                                                   DownloadWindow& window, PressScope scope)
    : environment_(environment), inputs_(inputs), window_(window), scope_(std::move(scope)),
      savedPaths_(scope_.namesTaken) {}

DownloadFromAllTerminals::~DownloadFromAllTerminals() {
    // Whatever ended the press, no worker outlives it.
    for (const auto& turn : turns_) {
        if (turn->worker) turn->worker->End();
        if (turn->reader.joinable()) turn->reader.join();
        turn->worker.reset();
    }
}

DownloadResult DownloadFromAllTerminals::Run() {
    pressId_ = NewPressId(environment_.clock.Now());
    parts_ = std::make_unique<PartFiles>(environment_.stateFolder, pressId_);
    Status("Searching...");
    if (!environment_.stateFolder.empty()) {
        // What earlier presses left: files of a press that was killed, and
        // history and copies past their time.
        if (const std::string removed = RemoveUnfinishedFiles(environment_.stateFolder); !removed.empty())
            Note(removed);
        if (const std::string tidied = TidyHistory(environment_.stateFolder, environment_.clock.Now()); !tidied.empty())
            Note("The history could not be tidied: " + tidied);
        RemoveExpiredCopies(environment_.stateFolder, environment_.clock.Now());
    }
    ShowReport();
    Progress(0);

    if (const std::string problem = SaveFolderProblem(inputs_.Settings(), environment_); !problem.empty()) {
        Status(problem);
        result_.couldNotRun = true;
        RecordTheRest();
        return result_;
    }
    const std::optional<std::vector<std::int16_t>> ports = ListPorts();
    if (!ports) {
        RecordTheRest();
        return result_;
    }
    if (!ports->empty()) {
        FindSecondNames(*ports);
        RunPass(*ports);
        // A pass that received nothing is run once more over the same list.
        if (result_.saved == 0 && !result_.stopped && loadFailure_.empty()) RunPass(*ports);
    }
    if (!loadFailure_.empty()) {
        // A library that cannot be loaded keeps its message on the status line.
        result_.couldNotRun = true;
        result_.ports.erase(std::remove_if(result_.ports.begin(), result_.ports.end(),
                                           [](const PortReport& line) { return !line.note; }),
                            result_.ports.end());
        Status(loadFailure_);
        RecordTheRest();
        return result_;
    }
    RecordTheRest();
    Progress(0);
    Status("Finished download " + std::to_string(result_.saved) + " file(s) at " +
           GeneralDateTime(environment_.clock.Now(), environment_.locale));
    return result_;
}

std::optional<std::vector<std::int16_t>> DownloadFromAllTerminals::ListPorts() {
    std::string error;
    std::optional<std::vector<std::int16_t>> ports = ListComPorts(environment_.devicePlatform, error);
    if (ports) {
        // A press for some ports only (a watch's) tries those of the list.
        if (scope_.ports) {
            ports->erase(std::remove_if(ports->begin(), ports->end(),
                                        [this](std::int16_t port) {
                                            return std::find(scope_.ports->begin(), scope_.ports->end(), port) ==
                                                   scope_.ports->end();
                                        }),
                         ports->end());
        }
        return ports;
    }
    result_.couldNotRun = true;
    result_.ports.push_back({0, PortOutcome::NoTerminal, "Listing the serial ports failed: " + error});
    ShowReport();
    // The count of nothing received, as a press that found no port.
    Status("Finished download 0 file(s) at " + GeneralDateTime(environment_.clock.Now(), environment_.locale));
    return std::nullopt;
}

void DownloadFromAllTerminals::FindSecondNames(const std::vector<std::int16_t>& ports) {
    std::map<std::string, std::int16_t> firstOf;  // a device: the first port of the list that opens it
    for (const std::int16_t port : ports) {
        const std::string device = environment_.portDevice ? environment_.portDevice(port) : "";
        if (device.empty()) continue;
        const auto [first, isNew] = firstOf.emplace(device, port);
        if (!isNew && first->second != port) sameAs_[port] = first->second;
    }
}

bool DownloadFromAllTerminals::EverSaved(std::int16_t port) {
    // Read at the first port in use only: most presses meet none.
    if (!portsEverSaved_) portsEverSaved_ = PortsWithSavedFiles(environment_.stateFolder);
    return portsEverSaved_->count("COM" + std::to_string(port)) > 0;
}

void DownloadFromAllTerminals::RunPass(const std::vector<std::int16_t>& ports) {
    passStart_ = turns_.size();
    for (const std::int16_t port : ports) {
        turns_.push_back(std::make_unique<Turn>(port));
        // A second name of a device is not tried: the first name's turn serves it.
        if (const auto first = sameAs_.find(port); first != sameAs_.end()) {
            Turn& turn = *turns_.back();
            turn.started = turn.ended = turn.named = true;
            Report(turn, PortOutcome::NoTerminal, "the same port as COM" + std::to_string(first->second), "", false,
                   FailureCause::None);
        }
    }
    for (;;) {
        StopIfAsked();
        if (!stopping_ && loadFailure_.empty()) StartTurns();
        if (PassEnded()) break;
        // Everything that came, then the press's own rounds.
        for (std::optional<Event> event = NextEvent(kLoopWait); event; event = NextEvent(milliseconds(0))) {
            Handle(*event);
        }
        NameInOrder();
        GiveUpStalledTransfers();
        EndSilentWorkers();
        ShowReport();
        ShowProgress();
    }
    for (std::size_t i = passStart_; i < turns_.size(); ++i) {
        Turn& turn = *turns_[i];
        if (turn.reader.joinable()) turn.reader.join();
        turn.worker.reset();
    }
}

void DownloadFromAllTerminals::StartTurns() {
    const auto running = [this](std::size_t from, std::size_t to, auto&& which) {
        return std::any_of(turns_.begin() + static_cast<std::ptrdiff_t>(from),
                           turns_.begin() + static_cast<std::ptrdiff_t>(to),
                           [&](const auto& turn) { return turn->started && !turn->ended && which(*turn); });
    };
    for (std::size_t i = passStart_; i < turns_.size(); ++i) {
        Turn& turn = *turns_[i];
        if (turn.started) continue;
        // One after another: a turn waits for every earlier one to end.
        if (environment_.oneAtATime &&
            std::any_of(turns_.begin() + static_cast<std::ptrdiff_t>(passStart_),
                        turns_.begin() + static_cast<std::ptrdiff_t>(i), [](const auto& t) { return !t->ended; }))
            return;
        // The same port twice in the list: its turns follow one another.
        if (running(passStart_, i, [&](const Turn& earlier) { return earlier.port == turn.port; })) continue;
        StartTurn(turn);
    }
}

void DownloadFromAllTerminals::StartTurn(Turn& turn) {
    turn.started = true;
    turn.lastHeard = environment_.steadyNow();
    std::string why;
    turn.worker = environment_.workers->Start(WorkerArguments({turn.port, false, environment_.libraryFile}), why);
    if (!turn.worker) {
        turn.ended = turn.reported = true;
        if (loadFailure_.empty()) loadFailure_ = "Bayhaul cannot run its ports: " + why;
        return;
    }
    turn.reader = std::thread([this, &turn, worker = turn.worker.get()] {
        worker::Decoder decoder;
        char buffer[4096];
        for (;;) {
            const std::size_t got = worker->Receive(buffer, sizeof buffer);
            if (got > 0) decoder.Feed(buffer, got);
            std::vector<Event> arrived;
            while (std::optional<Message> message = decoder.Next()) arrived.push_back({&turn, std::move(message), ""});
            const bool gone = got == 0 || decoder.Failed();
            if (gone) {
                // A worker that says something malformed has failed: it is ended.
                if (decoder.Failed()) worker->End();
                arrived.push_back({&turn, std::nullopt, decoder.Failure()});
            }
            if (!arrived.empty()) {
                const std::lock_guard lock(eventsMutex_);
                for (Event& event : arrived) events_.push_back(std::move(event));
                eventsArrived_.notify_one();
            }
            if (gone) return;
        }
    });
}

std::optional<DownloadFromAllTerminals::Event> DownloadFromAllTerminals::NextEvent(milliseconds wait) {
    std::unique_lock lock(eventsMutex_);
    if (!eventsArrived_.wait_for(lock, wait, [this] { return !events_.empty(); })) return std::nullopt;
    Event event = std::move(events_.front());
    events_.pop_front();
    return event;
}

void DownloadFromAllTerminals::Handle(const Event& event) {
    Turn& turn = *event.turn;
    turn.lastHeard = environment_.steadyNow();
    if (event.message)
        HandleMessage(turn, *event.message);
    else
        WorkerEnded(turn, event.malformed);
}

void DownloadFromAllTerminals::HandleMessage(Turn& turn, const Message& message) {
    switch (message.type) {
        case Type::Stage:
            turn.stage = static_cast<PortStage>(message.Number(0));
            turn.lastMoved = environment_.steadyNow();
            if (turn.stage == PortStage::Receiving)
                Status(std::string("Downloading ") + kTerminalDataFile + " from COM" + std::to_string(turn.port));
            break;
        case Type::Progress:
            if (message.Number(0) != turn.received) turn.lastMoved = environment_.steadyNow();
            turn.received = message.Number(0);
            turn.announced = message.Number(1);
            break;
        case Type::KeepStamp:
            break;  // the stamp the library left is the terminal's business
        case Type::FileReceived:
            // Named in the order of the ports: maybe at once, maybe later.
            turn.waiting = static_cast<std::uintmax_t>(std::max<std::int64_t>(message.Number(1), 0));
            if (message.Field(0) != turn.part) turn.waiting.reset();
            break;
        case Type::Result: {
            const auto outcome = static_cast<PortOutcome>(
                std::clamp<std::int64_t>(message.Number(0), 0, static_cast<int>(PortOutcome::Saved)));
            // Only the press says a file was saved: it put it in place.
            if (outcome == PortOutcome::Saved && turn.saved.empty()) {
                Report(turn, PortOutcome::NotSaved, NotSavedText("the worker reported a file the press did not save"),
                       "the worker reported a file the press did not save", false, FailureCause::Library);
            } else {
                turn.deleted = message.Field(4);
                turn.clock = message.Field(5);
                Report(turn, outcome, message.Field(1), message.Field(2), message.Field(3) == "1",
                       worker::CauseIn(message, 6));
            }
            break;
        }
        case Type::LoadFailed:
            if (loadFailure_.empty()) loadFailure_ = message.Field(0);
            turn.reported = true;
            break;
        default:
            Answer(turn, message);
    }
}

void DownloadFromAllTerminals::Answer(Turn& turn, const Message& message) {
    Message answer;
    switch (message.type) {
        case Type::AskBoxes:
            answer = {Type::Boxes, {inputs_.ClockBox() ? "1" : "0", inputs_.DeleteBox() ? "1" : "0"}};
            break;
        case Type::AskStamp:
            answer = {Type::Text, {FormatTimestamp(environment_.clock.Now())}};
            break;
        case Type::AskNumber:
            answer = {Type::Text, {Number(message.Number(0))}};
            break;
        case Type::AskPartPath: {
            FailureWords why{"the program was closed before the file arrived", FailureCause::Stopped};
            const std::string part = stopping_ ? "" : PartPath(turn, why);
            answer = {Type::PartPath, {part, why.words, std::to_string(static_cast<int>(why.cause))}};
            break;
        }
        default:
            // Not a question a worker asks: it has failed.
            turn.endedBy = "the terminal library's worker said something it should not";
            turn.worker->End();
            return;
    }
    turn.worker->Send(worker::Encode(answer));
    turn.lastHeard = environment_.steadyNow();
}

void DownloadFromAllTerminals::WorkerEnded(Turn& turn, const std::string& malformed) {
    turn.ended = true;
    turn.waiting.reset();
    // The part file is done with: moved into place, or removed with its
    // record now that no worker can write it.
    if (!turn.part.empty()) parts_->Release(turn.part);
    if (turn.reported) return;
    std::string why = turn.endedBy;
    FailureCause cause = FailureCause::Library;
    if (why.empty() && stopping_) {
        if (turn.stage < PortStage::Receiving) return;  // stopped before its terminal's file was asked for
        why = "the program was closed before the file arrived";
        cause = FailureCause::Stopped;
    }
    if (why.empty()) {
        why = malformed.empty() ? "the terminal library stopped working (crashed)"
                                : "the terminal library's worker sent " + malformed;
    }
    Report(turn, PortOutcome::NotSaved, NotSavedText(why), why, false, cause);
}

void DownloadFromAllTerminals::NameInOrder() {
    for (std::size_t i = passStart_; i < turns_.size(); ++i) {
        Turn& turn = *turns_[i];
        if (turn.named) continue;
        if (turn.waiting) {
            FailureWords why;
            const std::optional<std::string> text = PutInPlace(turn, *turn.waiting, why);
            turn.waiting.reset();
            turn.lastHeard = environment_.steadyNow();  // its silence counts from now
            // In place or not, after a stop nothing more is done on the terminal.
            turn.worker->Send(worker::Encode({Type::InPlace,
                                              {text ? "1" : "0", text ? *text : why.words, stopping_ ? "0" : "1",
                                               std::to_string(static_cast<int>(why.cause))}}));
        } else if (!turn.ended && !stopping_) {
            return;  // the ports after it wait for its file, or for its end
        } else if (!turn.ended) {
            continue;  // stopping: a file still arriving is not waited for
        }
        turn.named = true;
    }
}

void DownloadFromAllTerminals::EndSilentWorkers() {
    const auto now = environment_.steadyNow();
    for (std::size_t i = passStart_; i < turns_.size(); ++i) {
        Turn& turn = *turns_[i];
        if (!turn.started || turn.ended || !turn.worker || turn.waiting) continue;
        if (stopping_) {
            if (now - stoppedAt_ >= environment_.limits.stopGrace) turn.worker->End();
            continue;
        }
        const milliseconds limit =
            turn.stage == PortStage::Receiving ? environment_.limits.transfer : environment_.limits.call;
        if (now - turn.lastHeard >= limit && turn.endedBy.empty()) {
            turn.endedBy = "the terminal library stopped responding";
            turn.worker->End();
        }
    }
}

void DownloadFromAllTerminals::GiveUpStalledTransfers() {
    const auto now = environment_.steadyNow();
    for (std::size_t i = passStart_; i < turns_.size(); ++i) {
        Turn& turn = *turns_[i];
        if (!turn.started || turn.ended || turn.givenUp || turn.stage != PortStage::Receiving || turn.waiting ||
            turn.announced <= 0 || now - turn.lastMoved < kNoDataLimit)
            continue;
        turn.givenUp = true;
        turn.lastHeard = now;  // how long it takes to give up counts from here
        turn.worker->Send(worker::Encode({Type::GiveUp, {"no data for " + std::to_string(kNoDataLimit.count()) + " s"}}));
    }
}

void DownloadFromAllTerminals::StopIfAsked() {
    if (stopping_ || !window_.StopRequested()) return;
    stopping_ = true;
    result_.stopped = true;
    stoppedAt_ = environment_.steadyNow();
    NameInOrder();  // whole files already waiting are saved first
    const std::string stop = worker::Encode({Type::Stop, {}});
    for (std::size_t i = passStart_; i < turns_.size(); ++i) {
        Turn& turn = *turns_[i];
        if (turn.started && !turn.ended && turn.worker) turn.worker->Send(stop);
    }
}

bool DownloadFromAllTerminals::PassEnded() const {
    return std::all_of(turns_.begin() + static_cast<std::ptrdiff_t>(passStart_), turns_.end(), [this](const auto& turn) {
        return turn->started ? turn->ended : stopping_ || !loadFailure_.empty();
    });
}

std::string DownloadFromAllTerminals::PartPath(Turn& turn, FailureWords& why) {
    const AppSettings settings = inputs_.Settings();
    // A missing folder's words say what to do already.
    why = {SaveFolderProblem(settings, environment_), FailureCause::None};
    if (!why.words.empty()) return "";
    // The folder, name and extension the settings give now; the suffix comes
    // when the file is named, in the order of the ports.
    turn.folder = ResolveSaveFolder(settings.diradd, environment_.specialFolder);
    turn.baseName =
        settings.filename == kTimestampNameKeyword ? FormatTimestamp(environment_.clock.Now()) : settings.filename;
    turn.extension = settings.fileext;
    // A file of the port's own beside the target, recorded as ours first.
    std::string trouble;
    turn.part = parts_->Claim(turn.folder, turn.baseName, turn.extension, turn.port, trouble);
    if (turn.part.empty()) why = {trouble, FailureCause::Folder};
    return turn.part;
}

std::optional<std::string> DownloadFromAllTerminals::PutInPlace(Turn& turn, std::uintmax_t size, FailureWords& why) {
    // The next suffix of the press; a name changed during the press (an
    // Apply in Settings) could lead back to a file this press saved already,
    // and the next suffix is taken instead.
    // A watch's press never replaces a file saved since it started either.
    const auto keptSince = [this](const std::string& path) {
        std::error_code error;
        const auto saved = std::filesystem::last_write_time(path, error);
        return scope_.keepFilesSavedSince && !error && saved >= *scope_.keepFilesSavedSince;
    };
    std::size_t counter = savedPaths_.size();
    std::string target;
    do {
        target = JoinSavePath(turn.folder, turn.baseName, NameSuffix(counter++), turn.extension);
    } while (std::find(savedPaths_.begin(), savedPaths_.end(), target) != savedPaths_.end() || keptSince(target));
    // The file it replaces, from an earlier press, is kept first.
    std::error_code ignored;
    std::string trouble;
    if (!environment_.stateFolder.empty() && std::filesystem::is_regular_file(target, ignored) &&
        KeepReplacedFile(environment_.stateFolder, target, environment_.clock.Now(), trouble).empty()) {
        why = {"the file it would replace could not be kept: " + trouble, FailureCause::Folder};
        return std::nullopt;
    }
    if (const FileResult moved = MoveFileOver(turn.part, target); !moved.ok) {
        const FailureCause cause = moved.problem == FileProblem::DiskFull      ? FailureCause::DiskFull
                                   : moved.problem == FileProblem::PathTooLong ? FailureCause::PathTooLong
                                                                               : FailureCause::Folder;
        why = {"could not save: " + moved.error, cause};
        return std::nullopt;
    }
    savedPaths_.push_back(target);
    result_.savedFiles.push_back(target);
    ++result_.saved;
    turn.saved = target;
    turn.bytes = size;
    if (const auto print = FingerprintOfFile(target)) turn.sha256 = HexOf(print->digest);
    return "saved " + target + " (" + Number(static_cast<long long>(size)) + " bytes)";
}

void DownloadFromAllTerminals::Report(Turn& turn, PortOutcome outcome, const std::string& text,
                                      const std::string& why, bool warning, FailureCause cause) {
    turn.reported = true;
    // Another program's port on which no terminal was ever saved serves
    // another device (a printer, a UPS): a note, not a failure. The history
    // must say so; without one nothing can be known.
    if (outcome == PortOutcome::NotSaved && cause == FailureCause::PortInUse && !environment_.stateFolder.empty() &&
        !EverSaved(turn.port)) {
        Report(turn, PortOutcome::NoTerminal,
               text + " (no terminal was ever saved from this port: taken for another device)", "", false,
               FailureCause::None);
        return;
    }
    PortReport line{turn.port, outcome, "COM" + std::to_string(turn.port) + ": " + WithAdvice(text, cause), why,
                    warning};
    std::vector<PortReport>& report = result_.ports;
    const auto same =
        std::find_if(report.begin(), report.end(), [&](const PortReport& old) { return old.port == turn.port; });
    // Each port keeps the furthest it got in the two passes, in the order
    // of the list, whatever order the ports end in.
    if (same == report.end())
        report.push_back(std::move(line));
    else if (outcome >= same->outcome)
        *same = std::move(line);
    const auto place = [this](const PortReport& line) {
        const auto first = std::find_if(turns_.begin(), turns_.end(),
                                        [&](const auto& turn) { return turn->port == line.port; });
        return first - turns_.begin();
    };
    std::stable_sort(report.begin(), report.end(),
                     [&](const PortReport& a, const PortReport& b) { return place(a) < place(b); });
    // A saved file is final at once; anything else may still change in the next pass.
    if (outcome == PortOutcome::Saved) {
        Record(*std::find_if(report.begin(), report.end(), [&](const PortReport& l) { return l.port == turn.port; }),
               &turn);
    }
    ShowReport();
}

void DownloadFromAllTerminals::Note(const std::string& text) {
    PortReport line{0, PortOutcome::NoTerminal, text, "", true};
    line.note = true;
    result_.ports.push_back(std::move(line));
    ShowReport();
}

void DownloadFromAllTerminals::Record(const PortReport& line, const Turn* turn) {
    if (environment_.stateFolder.empty()) return;
    const std::string port = line.port > 0 ? "COM" + std::to_string(line.port) : "";
    HistoryRecord record{HistoryTime(environment_.clock.Now()), pressId_, port,
                         line.text.substr(port.empty() ? 0 : port.size() + 2)};
    if (turn && !turn->saved.empty()) {
        record.file = turn->saved;
        record.bytes = std::to_string(turn->bytes);
        record.sha256 = turn->sha256;
        record.deleted = turn->deleted;
        record.clock = turn->clock;
    }
    const std::string trouble = AppendHistory(environment_.stateFolder, record);
    if (!trouble.empty() && historyTrouble_.empty()) {
        historyTrouble_ = trouble;
        Note("The history could not be written: " + trouble);
    }
}

void DownloadFromAllTerminals::RecordTheRest() {
    const std::vector<PortReport> lines = result_.ports;  // a failed write adds a line
    for (const PortReport& line : lines) {
        if (line.outcome == PortOutcome::Saved || line.port <= 0) continue;
        if (line.outcome == PortOutcome::NotSaved ? scope_.recordFailures : scope_.recordNothingFound)
            Record(line, nullptr);
    }
    // A press that could not run: why, on a record of its own.
    if (result_.couldNotRun && scope_.recordFailures) {
        const auto listing =
            std::find_if(lines.begin(), lines.end(), [](const auto& l) { return l.port == 0 && !l.note; });
        Record(listing != lines.end() ? *listing : PortReport{0, PortOutcome::NoTerminal, statusShown_}, nullptr);
    }
    ShowReport();
}

void DownloadFromAllTerminals::Status(const std::string& text) {
    statusShown_ = text;
    window_.ShowStatus(text);
}

void DownloadFromAllTerminals::ShowReport() {
    // The final lines, with the live state of each port still running.
    std::vector<PortReport> lines = result_.ports;
    for (std::size_t i = passStart_; i < turns_.size(); ++i) {
        const Turn& turn = *turns_[i];
        if (!turn.started || turn.ended) continue;
        PortReport live{turn.port, PortOutcome::NoTerminal, "COM" + std::to_string(turn.port) + ": ", "", false, false};
        if (turn.waiting) {
            const auto earlier = std::find_if(turns_.begin() + static_cast<std::ptrdiff_t>(passStart_),
                                              turns_.begin() + static_cast<std::ptrdiff_t>(i),
                                              [](const auto& t) { return !t->named; });
            live.waitingFor = (*earlier)->port;
            live.text += "received, waiting for COM" + std::to_string(live.waitingFor) + "'s name";
        } else {
            live.text += LiveState(turn);
            if (turn.stage == PortStage::Receiving && turn.announced > 0)
                live.percent = PercentOf(turn.received, turn.announced);
        }
        const auto same = std::find_if(lines.begin(), lines.end(),
                                       [&](const PortReport& line) { return line.port == turn.port; });
        if (same == lines.end())
            lines.push_back(std::move(live));
        else
            *same = std::move(live);
    }
    // In the order of the ports, whatever order they started or ended in.
    const auto place = [this](const PortReport& line) {
        return std::find_if(turns_.begin(), turns_.end(), [&](const auto& turn) { return turn->port == line.port; }) -
               turns_.begin();
    };
    std::stable_sort(lines.begin(), lines.end(),
                     [&](const PortReport& a, const PortReport& b) { return place(a) < place(b); });
    const std::string text = ReportText(lines);
    if (text == reportShown_ && !lines.empty()) return;
    reportShown_ = text;
    window_.ShowReport(lines);
}

std::string DownloadFromAllTerminals::LiveState(const Turn& turn) const {
    switch (turn.stage) {
        case PortStage::Connecting:
            return "connecting";
        case PortStage::Asking:
            return std::string("asking for ") + kTerminalDataFile;
        case PortStage::Receiving:
            if (turn.announced <= 0) return "downloading";
            return std::to_string(PercentOf(turn.received, turn.announced)) + "%, " +
                   Number(turn.received) + " of " + Number(turn.announced) + " bytes";
        case PortStage::Deleting:
            return std::string("deleting ") + kTerminalDataFile + " on the terminal";
        case PortStage::SettingClock:
            return "setting the terminal's clock";
    }
    return "connecting";
}

void DownloadFromAllTerminals::ShowProgress() {
    // The bytes of the whole press against every size announced; with a
    // library that tells no sizes, the ports of the pass that are done.
    long long received = 0, announced = 0;
    for (const auto& turn : turns_) {
        received += std::max(turn->received, 0LL);
        announced += std::max(turn->announced, 0LL);
    }
    const std::size_t inPass = turns_.size() - passStart_;
    const long long ended = std::count_if(turns_.begin() + static_cast<std::ptrdiff_t>(passStart_), turns_.end(),
                                          [](const auto& turn) { return turn->ended; });
    int percent = 0;
    if (announced > 0)
        percent = PercentOf(received, announced);
    else if (inPass > 0)
        percent = static_cast<int>(100 * ended / static_cast<long long>(inPass));
    if (percent != progressShown_) Progress(percent);
}

void DownloadFromAllTerminals::Progress(int percent) {
    progressShown_ = percent;
    window_.ShowProgress(percent);
}

}  // namespace bayhaul
