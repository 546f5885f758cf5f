#include "press/download.h"

#include <algorithm>
#include <filesystem>
#include <system_error>

#include "press/com_port_name.h"
#include "press/history.h"
#include "press/replaced_files.h"
#include "files/durable_file.h"
#include "files/sha256.h"
#include "link/tether_codes.h"
#include "settings/app_settings.h"
#include "settings/output_naming.h"

namespace bayhaul {

namespace {

// Removes a file; a folder or anything else at `path` stays.
void RemoveFileQuietly(const std::string& path) {
    std::error_code ignored;
    if (std::filesystem::is_regular_file(std::filesystem::symlink_status(path, ignored))) {
        std::filesystem::remove(path, ignored);
    }
}

bool Exists(const std::string& path) {
    std::error_code ignored;
    return std::filesystem::exists(std::filesystem::symlink_status(path, ignored));
}

std::int32_t Clamped(std::int32_t value) {
    return std::max(value, std::int32_t{0});
}

}  // namespace

// A port's session on the window's thread, one port after another: it asks
// the press directly.
class DownloadFromAllTerminals::DirectHost final : public PortHost {
public:
    DirectHost(DownloadFromAllTerminals& press, Turn& turn) : press_(press), turn_(turn) {}

    bool Check1Ticked() override { return press_.state_.Check1; }
    bool Check2Ticked() override { return press_.state_.Check2; }
    std::string ClockStamp() override { return press_.state_.SetDate(); }
    void KeepStamp(const std::string& stamp) override { press_.state_.LastStamp = stamp; }
    std::string PartPath(std::string& why) override { return press_.PartPath(turn_, why); }
    void TransferStarts() override { press_.TransferStarts(turn_); }
    bool KeepWaiting(const TransferProgress& progress, std::string& givenUp) override {
        return press_.KeepWaitingInTurn(turn_, progress, givenUp);
    }
    std::optional<std::string> PutInPlace(const std::string& part, std::uintmax_t size, std::string& why) override {
        return press_.PutInPlace(turn_, part, size, why);
    }
    bool Stopping() override { return press_.stopping_; }
    std::string NumberText(long long value) override { return press_.state_.NumberText(value); }
    void Report(PortOutcome outcome, const std::string& text, const std::string& why, bool warning) override {
        press_.Report(turn_, outcome, text, why, warning);
    }

private:
    DownloadFromAllTerminals& press_;
    Turn& turn_;
};

// A port's session on a thread of its own: what belongs to the window is
// handed to the window's thread and waited for; the progress of a transfer
// only goes into the turn, which the window's loop reads.
class DownloadFromAllTerminals::ThreadedHost final : public PortHost {
public:
    ThreadedHost(DownloadFromAllTerminals& press, Turn& turn) : press_(press), turn_(turn), direct_(press, turn) {}

    template <typename Call>
    auto OnWindow(Call call) -> decltype(call()) {
        return press_.calls_.Run(std::move(call));
    }

    bool Check1Ticked() override { return OnWindow([&] { return direct_.Check1Ticked(); }); }
    bool Check2Ticked() override { return OnWindow([&] { return direct_.Check2Ticked(); }); }
    std::string ClockStamp() override { return OnWindow([&] { return direct_.ClockStamp(); }); }
    void KeepStamp(const std::string& stamp) override { OnWindow([&] { direct_.KeepStamp(stamp); }); }
    std::string PartPath(std::string& why) override { return OnWindow([&] { return direct_.PartPath(why); }); }
    void TransferStarts() override { OnWindow([&] { direct_.TransferStarts(); }); }
    bool KeepWaiting(const TransferProgress& progress, std::string& givenUp) override {
        turn_.received = progress.bytesReceived;
        turn_.announced = progress.bytesTotal;
        if (press_.stopping_) return false;
        if (turn_.giveUp) {
            givenUp = OnWindow([&] { return turn_.givenUp.value_or(""); });
            return false;
        }
        std::this_thread::sleep_for(kThreadPoll);
        return true;
    }
    // Waits for the file's turn to be named: the ports before it must have
    // named theirs, or ended without one.
    std::optional<std::string> PutInPlace(const std::string& part, std::uintmax_t size, std::string& why) override {
        std::future<std::optional<std::string>> saved = OnWindow([&] {
            turn_.waiting.reset(new Turn::Waiting{part, size, {}, {}});
            return turn_.waiting->saved.get_future();
        });
        std::optional<std::string> text = saved.get();
        if (!text) why = OnWindow([&] { return turn_.waiting->why; });
        return text;
    }
    bool Stopping() override { return press_.stopping_; }
    std::string NumberText(long long value) override { return OnWindow([&] { return direct_.NumberText(value); }); }
    void Report(PortOutcome outcome, const std::string& text, const std::string& why, bool warning) override {
        OnWindow([&] { direct_.Report(outcome, text, why, warning); });
    }

private:
    DownloadFromAllTerminals& press_;
    Turn& turn_;
    DirectHost direct_;  // what the window's thread then does
};

DownloadFromAllTerminals::DownloadFromAllTerminals(MainWindowState& state, DownloadWindow& window,
                                                   TetherSource& library, const DevicePlatformFactory& devices,
                                                   PressScope scope)
    : state_(state), window_(window), library_(library), devices_(devices), scope_(std::move(scope)),
      savedPaths_(scope_.namesTaken) {}

DownloadFromAllTerminals::~DownloadFromAllTerminals() {
    for (const auto& turn : turns_) {
        if (turn->thread.joinable()) turn->thread.join();
    }
}

DownloadResult DownloadFromAllTerminals::Run() {
    // Ticks left from before the press would make it skip its first port.
    state_.TimerTicks = 0;
    started_ = HistoryTime(state_.Now());
    if (!state_.StateFolder().empty()) RemoveExpiredCopies(state_.StateFolder(), state_.Now());
    Status("Searching...");
    ShowReport();
    Progress(0);

    if (const std::string problem = state_.SaveFolderProblem(); !problem.empty()) {
        Status(problem);
        result_.couldNotRun = true;
        RecordTheRest();
        return result_;
    }
    const std::optional<std::vector<std::int16_t>> ports = ListPorts();
    const TetherFunctions* functions = ports && !ports->empty() ? LoadLibrary() : nullptr;
    // A press that could not list its ports, or load the library, keeps its
    // message on the status line.
    if (!ports || (!ports->empty() && functions == nullptr)) {
        RecordTheRest();
        return result_;
    }

    if (functions != nullptr) {
        const bool sideBySide = functions->Tether_Features &&
                                (functions->Tether_Features() & tether::feature::kConcurrentSessions) != 0;
        RunPass(*ports, *functions, sideBySide);
        // A pass that received nothing is run once more over the same list.
        if (result_.saved == 0 && !result_.stopped) RunPass(*ports, *functions, sideBySide);
    }
    RecordTheRest();
    Progress(0);
    Status("Finished download " + std::to_string(result_.saved) + " file(s) at " + state_.GeneralDateTimeNow());
    return result_;
}

std::optional<std::vector<std::int16_t>> DownloadFromAllTerminals::ListPorts() {
    std::string error;
    std::optional<std::vector<std::int16_t>> ports = ListComPorts(devices_, error);
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
    Status("Finished download 0 file(s) at " + state_.GeneralDateTimeNow());
    return std::nullopt;
}

const TetherFunctions* DownloadFromAllTerminals::LoadLibrary() {
    LoadError error;
    const TetherFunctions* functions = library_.Functions(error);
    if (functions == nullptr) {
        Status(error.Message());
        result_.couldNotRun = true;
    }
    return functions;
}

void DownloadFromAllTerminals::RunPass(const std::vector<std::int16_t>& ports, const TetherFunctions& functions,
                                       bool sideBySide) {
    passStart_ = turns_.size();
    for (const std::int16_t port : ports) turns_.push_back(std::make_unique<Turn>(port));
    if (sideBySide)
        RunSideBySide(functions);
    else
        RunInTurn(functions);
}

void DownloadFromAllTerminals::RunInTurn(const TetherFunctions& functions) {
    for (std::size_t i = passStart_; i < turns_.size(); ++i) {
        Turn& turn = *turns_[i];
        ShowProgress();
        window_.StartTimer2();
        // Between ports the window handles its clicks, and a close stops the press.
        window_.YieldOnce(std::chrono::milliseconds(0));
        if (state_.CloseRequested) {
            result_.stopped = true;
            stopping_ = true;
            return;
        }
        // A port whose turn the window held up is left to the next pass.
        if (state_.TimerTicks <= kStallTicks) {
            DirectHost host(*this, turn);
            PortSession(functions, turn.port, host).Run();
        }
        turn.ended = true;
        state_.TimerTicks = 0;
    }
}

void DownloadFromAllTerminals::RunSideBySide(const TetherFunctions& functions) {
    for (;;) {
        if (!stopping_) StartTurns(functions);
        calls_.RunWaiting();
        NameInOrder();
        WatchForStalls();
        ShowReport();
        ShowProgress();
        if (AllEnded()) break;
        window_.YieldOnce(kLoopWait);
        if (state_.CloseRequested && !stopping_) {
            result_.stopped = true;
            stopping_ = true;
        }
    }
    for (std::size_t i = passStart_; i < turns_.size(); ++i) {
        if (turns_[i]->thread.joinable()) turns_[i]->thread.join();
    }
}

void DownloadFromAllTerminals::StartTurns(const TetherFunctions& functions) {
    for (std::size_t i = passStart_; i < turns_.size(); ++i) {
        Turn& turn = *turns_[i];
        if (turn.started) continue;
        // The same port twice in the list: its turns follow one another.
        const bool portBusy = std::any_of(turns_.begin() + static_cast<std::ptrdiff_t>(passStart_),
                                          turns_.begin() + static_cast<std::ptrdiff_t>(i), [&](const auto& earlier) {
                                              return earlier->port == turn.port && !earlier->ended;
                                          });
        if (portBusy) continue;
        turn.started = true;
        turn.thread = std::thread([this, &turn, &functions] {
            ThreadedHost host(*this, turn);
            PortSession(functions, turn.port, host).Run();
            turn.ended = true;
        });
    }
}

bool DownloadFromAllTerminals::AllEnded() const {
    return std::all_of(turns_.begin() + static_cast<std::ptrdiff_t>(passStart_), turns_.end(),
                       [](const auto& turn) { return turn->started && turn->ended; });
}

void DownloadFromAllTerminals::NameInOrder() {
    for (std::size_t i = passStart_; i < turns_.size(); ++i) {
        Turn& turn = *turns_[i];
        if (turn.named) continue;
        if (turn.waiting) {
            Turn::Waiting& waiting = *turn.waiting;
            waiting.saved.set_value(PutInPlace(turn, waiting.part, waiting.size, waiting.why));
        } else if (!turn.ended) {
            return;  // the ports after it wait for its file, or for its end
        }
        turn.named = true;
    }
}

void DownloadFromAllTerminals::WatchForStalls() {
    const auto now = state_.SteadyNow();
    for (std::size_t i = passStart_; i < turns_.size(); ++i) {
        Turn& turn = *turns_[i];
        if (!turn.transferring || turn.ended || turn.giveUp) continue;
        if (turn.received != turn.lastReceived) {
            turn.lastReceived = turn.received;
            turn.lastMoved = now;
        } else if (turn.announced > 0 && now - turn.lastMoved >= kNoDataLimit) {
            turn.givenUp = "no data for " + std::to_string(kNoDataLimit.count()) + " s";
            turn.giveUp = true;
        }
    }
}

std::string DownloadFromAllTerminals::PartPath(Turn& turn, std::string& why) {
    why = state_.SaveFolderProblem();
    if (!why.empty()) return "";
    // The folder, name and extension the settings give now; the suffix comes
    // when the file is named, in the order of the ports.
    turn.folder = state_.ResolveSaveFolder();
    turn.baseName = state_.Settings.filename == kTimestampNameKeyword ? state_.SetDate() : state_.Settings.filename;
    turn.extension = state_.Settings.fileext;
    const std::string part = JoinSavePath(turn.folder, turn.baseName, "", turn.extension) + ".COM" +
                             std::to_string(turn.port) + ".part";
    RemoveFileQuietly(part);  // left by an earlier press that was cut short
    if (Exists(part)) {
        why = part + " is in the way: it is not a file, so the file cannot arrive there";
        return "";
    }
    return part;
}

void DownloadFromAllTerminals::TransferStarts(Turn& turn) {
    turn.lastMoved = state_.SteadyNow();
    turn.transferring = true;
    Status(std::string("Downloading ") + kTerminalDataFile + " from COM" + std::to_string(turn.port));
}

bool DownloadFromAllTerminals::KeepWaitingInTurn(Turn& turn, const TransferProgress& progress, std::string& givenUp) {
    turn.received = progress.bytesReceived;
    turn.announced = progress.bytesTotal;
    ShowProgress();
    ShowReport();
    if (progress.bytesReceived != turn.lastReceived) {
        turn.lastReceived = progress.bytesReceived;
        turn.lastMoved = state_.SteadyNow();
    }
    state_.TimerTicks = 0;
    window_.StartTimer2();
    window_.YieldOnce(kPollWait);
    if (state_.CloseRequested) {
        result_.stopped = true;
        stopping_ = true;
        return false;
    }
    if (state_.TimerTicks > kStallTicks) {
        givenUp = "the program was held up for more than " + std::to_string(kStallTicks) + " s";
    } else if (progress.bytesTotal > 0 && state_.SteadyNow() - turn.lastMoved >= kNoDataLimit) {
        givenUp = "no data for " + std::to_string(kNoDataLimit.count()) + " s";
    }
    return givenUp.empty();
}

std::optional<std::string> DownloadFromAllTerminals::PutInPlace(Turn& turn, const std::string& part,
                                                                std::uintmax_t size, std::string& why) {
    // The next suffix of the press; a name changed during the press (an
    // Apply in Settings) could lead back to a file this press saved already,
    // and the next suffix is taken instead.
    std::size_t counter = savedPaths_.size();
    std::string target;
    do {
        target = JoinSavePath(turn.folder, turn.baseName, NameSuffix(counter++), turn.extension);
    } while (std::find(savedPaths_.begin(), savedPaths_.end(), target) != savedPaths_.end());
    // The file it replaces, from an earlier press, is kept first.
    std::error_code ignored;
    if (!state_.StateFolder().empty() && std::filesystem::is_regular_file(target, ignored) &&
        KeepReplacedFile(state_.StateFolder(), target, state_.Now(), why).empty()) {
        why = "the file it would replace could not be kept: " + why;
        return std::nullopt;
    }
    if (const FileResult moved = MoveFileOver(part, target); !moved.ok) {
        why = "could not save: " + moved.error;
        return std::nullopt;
    }
    savedPaths_.push_back(target);
    result_.savedFiles.push_back(target);
    ++result_.saved;
    turn.saved = target;
    turn.bytes = size;
    if (const auto print = FingerprintOfFile(target)) turn.sha256 = HexOf(print->digest);
    return "saved " + target + " (" + state_.NumberText(static_cast<long long>(size)) + " bytes)";
}

void DownloadFromAllTerminals::Report(Turn& turn, PortOutcome outcome, const std::string& text,
                                      const std::string& why, bool warning) {
    turn.transferring = false;
    PortReport line{turn.port, outcome, "COM" + std::to_string(turn.port) + ": " + text, why, warning};
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

void DownloadFromAllTerminals::Record(const PortReport& line, const Turn* turn) {
    if (state_.StateFolder().empty()) return;
    const std::string port = line.port > 0 ? "COM" + std::to_string(line.port) : "";
    HistoryRecord record{HistoryTime(state_.Now()), started_, port, line.text.substr(port.empty() ? 0 : port.size() + 2)};
    if (turn && !turn->saved.empty()) {
        record.file = turn->saved;
        record.bytes = std::to_string(turn->bytes);
        record.sha256 = turn->sha256;
    }
    const std::string trouble = AppendHistory(state_.StateFolder(), record);
    if (!trouble.empty() && historyTrouble_.empty()) {
        historyTrouble_ = trouble;
        result_.ports.push_back({0, PortOutcome::NoTerminal, "The history could not be written: " + trouble, "", true});
    }
}

void DownloadFromAllTerminals::RecordTheRest() {
    const std::vector<PortReport> lines = result_.ports;  // a failed write adds a line
    for (const PortReport& line : lines) {
        if (line.outcome != PortOutcome::Saved && line.port > 0) Record(line, nullptr);
    }
    // A press that could not run: why, on a record of its own.
    if (result_.couldNotRun) {
        const auto listing = std::find_if(lines.begin(), lines.end(), [](const auto& l) { return l.port == 0; });
        Record(listing != lines.end() ? *listing : PortReport{0, PortOutcome::NoTerminal, state_.Label2}, nullptr);
    }
    ShowReport();
}

void DownloadFromAllTerminals::Status(const std::string& text) {
    state_.Label2 = text;
    window_.ShowStatus(text);
}

void DownloadFromAllTerminals::ShowReport() {
    // The final lines, with the live state of each transfer running.
    std::vector<PortReport> lines = result_.ports;
    for (const auto& turn : turns_) {
        if (!turn->transferring) continue;
        const std::int32_t received = Clamped(turn->received), announced = Clamped(turn->announced);
        std::string text = "COM" + std::to_string(turn->port) + ": ";
        if (announced > 0) {
            const long long percent = std::min<long long>(100, 100LL * received / announced);
            text += std::to_string(percent) + "%, " + state_.NumberText(received) + " of " +
                    state_.NumberText(announced) + " bytes";
        } else {
            text += "downloading";
        }
        PortReport live{turn->port, PortOutcome::NoTerminal, text, "", false, false};
        const auto same = std::find_if(lines.begin(), lines.end(),
                                       [&](const PortReport& line) { return line.port == turn->port; });
        if (same == lines.end())
            lines.push_back(std::move(live));
        else
            *same = std::move(live);
    }
    const std::string text = ReportText(lines);
    if (text == reportShown_ && !lines.empty()) return;
    reportShown_ = text;
    state_.Label2Report = text;
    window_.ShowReport(lines);
}

void DownloadFromAllTerminals::ShowProgress() {
    // The bytes of the whole press against every size announced; with a
    // library that tells no sizes, the ports of the pass that are done.
    long long received = 0, announced = 0;
    for (const auto& turn : turns_) {
        received += Clamped(turn->received);
        announced += Clamped(turn->announced);
    }
    const std::size_t inPass = turns_.size() - passStart_;
    const long long ended = std::count_if(turns_.begin() + static_cast<std::ptrdiff_t>(passStart_), turns_.end(),
                                          [](const auto& turn) { return turn->ended.load(); });
    int percent = 0;
    if (announced > 0)
        percent = static_cast<int>(std::min<long long>(100, 100 * received / announced));
    else if (inPass > 0)
        percent = static_cast<int>(100 * ended / static_cast<long long>(inPass));
    if (percent != progressShown_) Progress(percent);
}

void DownloadFromAllTerminals::Progress(int percent) {
    progressShown_ = percent;
    state_.ProgressBar1 = percent;
    window_.ShowProgress(percent);
}

}  // namespace bayhaul
