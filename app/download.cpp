#include "app/download.h"

#include <algorithm>
#include <filesystem>
#include <system_error>

#include "app/com_port_name.h"
#include "files/durable_file.h"
#include "link/tether_codes.h"
#include "link/tether_result_text.h"
#include "settings/app_settings.h"

namespace bayhaul {

namespace {

constexpr char kPortsClass[] = "Ports";
constexpr char kListedOk[] = "OK";
constexpr char kPartSuffix[] = ".part";

// The size of a regular file, or nothing when there is none at `path`.
std::optional<std::uintmax_t> RegularFileSize(const std::string& path) {
    std::error_code error;
    if (!std::filesystem::is_regular_file(path, error)) return std::nullopt;
    const std::uintmax_t size = std::filesystem::file_size(path, error);
    if (error) return std::nullopt;
    return size;
}

// Removes a file; a folder or anything else at `path` stays.
void RemoveFileQuietly(const std::string& path) {
    std::error_code ignored;
    if (std::filesystem::is_regular_file(std::filesystem::symlink_status(path, ignored))) {
        std::filesystem::remove(path, ignored);
    }
}

// What a delete on the terminal that gave `result` adds to the port's line.
std::string DeleteTrouble(std::int16_t result) {
    namespace r = tether::result;
    switch (result) {
        case r::kOk:
            return "";
        case r::kFileChanged:
            return "; the terminal's file changed during the copy and was kept";
        case r::kNoSuchFile:
            return "; the terminal's file was gone before it could be deleted";
        default:
            return "; deleting it on the terminal failed: " + RequestFailureText(result);
    }
}

bool Exists(const std::string& path) {
    std::error_code ignored;
    return std::filesystem::exists(std::filesystem::symlink_status(path, ignored));
}

}  // namespace

DownloadFromAllTerminals::DownloadFromAllTerminals(MainWindowState& state, DownloadWindow& window,
                                                   TetherSource& library, const DevicePlatformFactory& devices)
    : state_(state), window_(window), library_(library), devices_(devices) {}

DownloadResult DownloadFromAllTerminals::Run() {
    // Ticks left from before the press would make it skip its first port.
    state_.TimerTicks = 0;
    Status("Searching...");
    ShowReport();
    Progress(0);

    if (const std::string problem = SaveFolderProblem(); !problem.empty()) {
        Status(problem);
        result_.couldNotRun = true;
        return result_;
    }

    DevLister lister(devices_());
    std::vector<GUID_Storage> classes;
    std::string listed = lister.GetGUIDByName(kPortsClass, classes);
    if (listed == kListedOk) listed = lister.AddToList(&classes.front(), true);
    if (listed == kListedOk) {
        state_.RepeatPass = 1;
        RunPass(lister);
        // A pass that received nothing is run once more over the same list.
        if (state_.RepeatPass == 1 && !libraryMissing_ && !result_.stopped) {
            state_.RepeatPass = 0;
            RunPass(lister);
        }
    } else {
        result_.couldNotRun = true;
        result_.ports.push_back({0, PortOutcome::NoTerminal, "Listing the serial ports failed: " + listed});
        ShowReport();
    }
    state_.RepeatPass = 0;
    Progress(0);
    // A missing library keeps its message on the status line.
    if (!libraryMissing_) {
        Status("Finished download " + std::to_string(result_.saved) + " file(s) at " + state_.GeneralDateTimeNow());
    }
    return result_;
}

void DownloadFromAllTerminals::RunPass(DevLister& lister) {
    count_ = lister.ListCount();
    for (position_ = 1; position_ <= count_; ++position_) {
        ShowPassProgress(position_ - 1);
        const StepEnd end = DeviceStep(lister, position_);
        state_.TimerTicks = 0;
        if (end == StepEnd::StopPress) return;
    }
}

DownloadFromAllTerminals::StepEnd DownloadFromAllTerminals::DeviceStep(DevLister& lister, std::int32_t position) {
    const std::optional<std::int16_t> port = ComPortFromName(lister.Item(position)->GetName());
    if (!port) return StepEnd::Next;
    window_.StartTimer2();
    // Between ports the window handles its clicks, and a close stops the press.
    window_.YieldOnce(std::chrono::milliseconds(0));
    if (state_.CloseRequested) {
        result_.stopped = true;
        return StepEnd::StopPress;
    }
    if (state_.TimerTicks > kStallTicks) return StepEnd::Next;  // not tried in this pass
    return TryTerminal(*port);
}

DownloadFromAllTerminals::StepEnd DownloadFromAllTerminals::TryTerminal(std::int16_t port) {
    TerminalSession session(library_, state_.CurrentLink, state_.LastStamp);
    const OpenResult opened = session.Connect(port);
    switch (opened.status) {
        case OpenStatus::NoLibrary:
            Status(opened.loadError.Message());
            libraryMissing_ = true;
            result_.couldNotRun = true;
            return StepEnd::StopPress;
        case OpenStatus::NoHandle:
            Report(port, PortOutcome::NoTerminal, "the terminal library gave no handle");
            return StepEnd::Next;
        case OpenStatus::NotConnected:
            Report(port, PortOutcome::NoTerminal, "no terminal answered");
            return StepEnd::Next;
        case OpenStatus::PortBusy:
            // A terminal may be there, and its file was not saved.
            Report(port, PortOutcome::NotSaved, RequestFailureText(opened.code), RequestFailureText(opened.code));
            return StepEnd::Next;
        case OpenStatus::PortFailed:
            Report(port, PortOutcome::NoTerminal, RequestFailureText(opened.code));
            return StepEnd::Next;
        case OpenStatus::Connected:
            break;
    }
    if (!TerminalHasFile(session, port)) return StepEnd::Next;

    const std::optional<std::string> saved = Fetch(session, port);
    if (!saved) return result_.stopped ? StepEnd::StopPress : StepEnd::Next;
    ++result_.saved;
    state_.RepeatPass = 0;
    const std::string trouble = AfterSaving(session);
    Report(port, PortOutcome::Saved, *saved + trouble, "", !trouble.empty());
    return StepEnd::Next;
}

bool DownloadFromAllTerminals::TerminalHasFile(TerminalSession& session, std::int16_t port) {
    const FileQuery first = session.QueryFile(kTerminalDataFile);
    if (first.answer == FileAnswer::Ready) return true;
    // Asked once more on a fresh link at the other setting.
    const OpenResult reopened = session.Reopen(port);
    if (window_.Check1Ticked()) SetTerminalClockNow(session);
    const FileQuery second = session.QueryFile(kTerminalDataFile);
    if (second.answer == FileAnswer::Ready) return true;

    // A terminal that said it has no such file has none; a question that
    // did not get through either time leaves its file unsaved.
    const std::string noFile = std::string("the terminal has no ") + kTerminalDataFile;
    if (!session.OurCodes()) {
        Report(port, PortOutcome::NoFile, noFile + " (library result " + std::to_string(first.code) + ")");
    } else if (first.answer == FileAnswer::Absent || second.answer == FileAnswer::Absent) {
        Report(port, PortOutcome::NoFile, noFile);
    } else {
        // The first question was asked on the link that answered; the second
        // fails at once when the terminal does not speak at the other setting.
        const FileQuery& told = reopened.status == OpenStatus::Connected ? second : first;
        NotSaved(port, std::string("asking the terminal for ") + kTerminalDataFile +
                           " failed: " + RequestFailureText(told.code));
    }
    return false;
}

std::string DownloadFromAllTerminals::AfterSaving(TerminalSession& session) {
    std::string trouble;
    // The terminal maker's library gives no results to rely on here.
    if (window_.Check2Ticked()) {
        const std::int16_t deleted = session.DeleteOnTerminal(kTerminalDataFile);
        if (session.OurCodes()) trouble += DeleteTrouble(deleted);
    }
    if (window_.Check1Ticked()) {
        const std::int16_t set = SetTerminalClockNow(session);
        if (session.OurCodes() && set != tether::result::kOk)
            trouble += "; setting the terminal's clock failed: " + RequestFailureText(set);
    }
    return trouble;
}

std::int16_t DownloadFromAllTerminals::SetTerminalClockNow(TerminalSession& session) {
    state_.SetDate();
    return session.SetTerminalClock();
}

std::optional<std::string> DownloadFromAllTerminals::Fetch(TerminalSession& session, std::int16_t port) {
    if (const std::string problem = SaveFolderProblem(); !problem.empty()) {
        NotSaved(port, problem);
        return std::nullopt;
    }
    // A name changed during the press (an Apply in Settings) could lead back
    // to a file this press saved already; the next suffix is taken instead.
    std::size_t counter = static_cast<std::size_t>(result_.saved);
    std::string target = state_.BuildSavePath(counter);
    while (std::find(savedPaths_.begin(), savedPaths_.end(), target) != savedPaths_.end()) {
        target = state_.BuildSavePath(++counter);
    }
    const std::string part = target + kPartSuffix;
    RemoveFileQuietly(part);  // left by an earlier run that was cut short
    if (Exists(part)) {
        NotSaved(port, part + " is in the way: it is not a file, so the file cannot arrive there");
        return std::nullopt;
    }

    Status(std::string("Downloading ") + kTerminalDataFile + " from COM" + std::to_string(port));
    givenUp_.clear();
    lastReceived_ = 0;
    lastMoved_ = state_.SteadyNow();
    const TransferEnd end = session.Transfer(
        part, kTerminalDataFile,
        [this](std::int16_t status, const TransferProgress& progress) { return PollStep(status, progress); });

    const std::optional<std::uintmax_t> size = RegularFileSize(part);
    std::string why = WhyNotReceived(session, end, size);
    if (why.empty()) {
        if (const FileResult moved = MoveFileOver(part, target); !moved.ok) why = "could not save: " + moved.error;
    }
    if (!why.empty()) {
        session.CloseLink();  // a library still writing stops before its file is removed
        RemoveFileQuietly(part);
        NotSaved(port, why);
        return std::nullopt;
    }
    savedPaths_.push_back(target);
    return "saved " + target + " (" + state_.NumberText(static_cast<long long>(*size)) + " bytes)";
}

std::string DownloadFromAllTerminals::WhyNotReceived(const TerminalSession& session, const TransferEnd& end,
                                                     const std::optional<std::uintmax_t>& size) const {
    const TransferProgress& got = end.progress;
    if (result_.stopped) return "the program was closed before the file arrived";
    if (!givenUp_.empty()) return "transfer given up: " + givenUp_;
    const std::string bytes = got.bytesTotal > 0 ? state_.NumberText(got.bytesReceived) + " of " +
                                                       state_.NumberText(got.bytesTotal) + " bytes"
                                                 : std::string();
    if (!end.finished) {
        return session.OurCodes() && end.status > tether_contract::kTransferDone ? TransferFailureText(end.status, "")
                                                                                  : "the transfer did not start";
    }
    if (end.status != tether_contract::kTransferDone || !size) {
        if (session.OurCodes() && end.status > tether_contract::kTransferDone)
            return TransferFailureText(end.status, bytes);
        return "transfer failed (library status " + std::to_string(end.status) + (bytes.empty() ? "" : ", " + bytes) +
               ")";
    }
    if (got.bytesTotal > 0 && *size != static_cast<std::uintmax_t>(got.bytesTotal)) {
        return "only " + state_.NumberText(static_cast<long long>(*size)) + " of " +
               state_.NumberText(got.bytesTotal) + " bytes arrived";
    }
    return "";
}

std::int16_t DownloadFromAllTerminals::PollStep(std::int16_t status, const TransferProgress& progress) {
    constexpr std::int16_t kGivenUp = 10;  // any status of 2 or more ends the wait
    if (progress.bytesTotal > 0) {
        const double part = std::clamp(double(progress.bytesReceived) / progress.bytesTotal, 0.0, 1.0);
        ShowPassProgress(position_ - 1 + part);
    }
    if (progress.bytesReceived != lastReceived_) {
        lastReceived_ = progress.bytesReceived;
        lastMoved_ = state_.SteadyNow();
    }
    state_.TimerTicks = 0;
    window_.StartTimer2();
    window_.YieldOnce(kPollWait);
    if (state_.CloseRequested) {
        result_.stopped = true;
        return kGivenUp;
    }
    if (state_.TimerTicks > kStallTicks) {
        givenUp_ = "the program was held up for more than " + std::to_string(kStallTicks) + " s";
    } else if (progress.bytesTotal > 0 && state_.SteadyNow() - lastMoved_ >= kNoDataLimit) {
        givenUp_ = "no data for " + std::to_string(kNoDataLimit.count()) + " s";
    }
    return givenUp_.empty() ? status : kGivenUp;
}

std::string DownloadFromAllTerminals::SaveFolderProblem() const {
    const std::string& diradd = state_.Settings.diradd;
    const std::string folder = state_.ResolveSaveFolder();
    std::string missing;
    if (diradd == kDesktopKeyword && folder.empty()) {
        missing = "The desktop folder was not found.";
    } else if (diradd == kDocumentsKeyword && folder.empty()) {
        missing = "The documents folder was not found.";
    } else if (folder.empty()) {
        missing = "No folder is set for received files.";
    } else {
        std::error_code error;
        if (!std::filesystem::is_directory(folder, error)) missing = "The folder " + folder + " was not found.";
    }
    return missing.empty() ? missing : missing + " Choose a folder in Settings.";
}

void DownloadFromAllTerminals::Report(std::int16_t port, PortOutcome outcome, const std::string& text,
                                      const std::string& why, bool warning) {
    PortReport line{port, outcome, "COM" + std::to_string(port) + ": " + text, why, warning};
    std::vector<PortReport>& report = result_.ports;
    const auto same =
        std::find_if(report.begin(), report.end(), [port](const PortReport& old) { return old.port == port; });
    if (same == report.end())
        report.push_back(std::move(line));
    else if (outcome >= same->outcome)
        *same = std::move(line);
    ShowReport();
}

void DownloadFromAllTerminals::NotSaved(std::int16_t port, const std::string& why) {
    Report(port, PortOutcome::NotSaved, "not saved: " + why + "; the terminal keeps its data", why);
}

void DownloadFromAllTerminals::ShowPassProgress(double portsDone) {
    Progress(count_ > 0 ? static_cast<int>(100 * portsDone / count_) : 0);
}

void DownloadFromAllTerminals::Status(const std::string& text) {
    state_.Label2 = text;
    window_.ShowStatus(text);
}

void DownloadFromAllTerminals::ShowReport() {
    std::string text;
    for (const PortReport& line : result_.ports) text += (text.empty() ? "" : "\n") + line.text;
    state_.Label2Report = text;
    window_.ShowReport(text);
}

void DownloadFromAllTerminals::Progress(int percent) {
    state_.ProgressBar1 = percent;
    window_.ShowProgress(percent);
}

}  // namespace bayhaul
