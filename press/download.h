// The download from all terminals: one press of the main button. It lists
// the serial ports, tries a terminal on each COM port, and saves the data
// file of every terminal that answers as a file of its own, then deletes
// the file on the terminal and sets its clock when the boxes say so.
//
// Each port's session runs in a worker process of its own, which loads its
// own copy of the terminal library: the ports run side by side whatever the
// library allows, and a library that crashes or hangs costs its port only.
// The press decides: it names every file, in the order of the port list
// whatever order they arrive in, and tells each worker when its file is in
// place; only then does the worker delete it on the terminal and set the
// clock. It runs on the thread that calls Run, never on a window's.
//
// The terminal's file is deleted only once an identical copy is in place on
// the PC. The library writes into a ".part" file of the port's own, which
// is put in place under the file's name only when complete; a failed
// transfer leaves an old file as it was and no partial file behind.
#pragma once

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "press/download_result.h"
#include "press/download_window.h"
#include "press/part_files.h"
#include "press/port_session.h"
#include "press/press_environment.h"
#include "press/press_scope.h"
#include "press/worker_protocol.h"
#include "link/tether_result_text.h"

namespace bayhaul {

class DownloadFromAllTerminals {
public:
    // A transfer whose received count has not moved for this long is given
    // up (for a library that reports its progress).
    static constexpr std::chrono::seconds kNoDataLimit{30};

    DownloadFromAllTerminals(const PressEnvironment& environment, PressInputs& inputs, DownloadWindow& window,
                             PressScope scope = {});
    ~DownloadFromAllTerminals();

    DownloadResult Run();

private:
    // One port's turn in one pass: its worker and what the press knows of it.
    struct Turn {
        explicit Turn(std::int16_t comPort) : port(comPort) {}
        const std::int16_t port;
        std::unique_ptr<WorkerLink> worker;
        std::thread reader;  // takes the worker's messages to the press's queue
        bool started = false, ended = false, reported = false;
        PortStage stage = PortStage::Connecting;
        std::chrono::steady_clock::time_point lastHeard{};
        std::string endedBy;  // why the press ended the worker, when it did
        // What the file is to be called, taken when its transfer starts.
        std::string folder, baseName, extension, part;
        long long received = 0, announced = 0;
        std::chrono::steady_clock::time_point lastMoved{};
        bool givenUp = false;
        // The complete file waiting for its name.
        std::optional<std::uintmax_t> waiting;
        bool named = false;  // its file has its name, or it will bring none
        // The file it saved, and what became of it on the terminal, for the history.
        std::string saved;
        std::uintmax_t bytes = 0;
        std::string sha256;
        std::string deleted, clock;
    };

    // What a worker's reader hands the press: a message, or the worker's end.
    struct Event {
        Turn* turn;
        std::optional<worker::Message> message;
        std::string malformed;  // the end came with a message that could not be read
    };

    // A pass over the ports: starts the workers that may start, handles
    // what they say, names the files whose turn it is, ends workers that
    // went silent, until every port has ended.
    void RunPass(const std::vector<std::int16_t>& ports);
    void StartTurns();
    void StartTurn(Turn& turn);
    void Handle(const Event& event);
    void HandleMessage(Turn& turn, const worker::Message& message);
    void WorkerEnded(Turn& turn, const std::string& malformed);
    void NameInOrder();
    void EndSilentWorkers();
    void GiveUpStalledTransfers();
    void StopIfAsked();
    bool PassEnded() const;
    std::optional<Event> NextEvent(std::chrono::milliseconds wait);
    void Answer(Turn& turn, const worker::Message& message);

    // What the workers ask of the press.
    std::string PartPath(Turn& turn, FailureWords& why);
    std::optional<std::string> PutInPlace(Turn& turn, std::uintmax_t size, FailureWords& why);
    // The port's line: `text` after its "COMn: ", ended with the advice for `cause`.
    void Report(Turn& turn, PortOutcome outcome, const std::string& text, const std::string& why, bool warning,
                FailureCause cause);
    // A line of the press's own, shown with the ports' and never counted.
    void Note(const std::string& text);

    // The history: a record for a port whose outcome is final, and at the
    // end those of the ports that saved nothing and of a press that could
    // not run. A history that cannot be written is said in the report.
    void Record(const PortReport& line, const Turn* turn);
    void RecordTheRest();

    // The ports of the list, in its order; nothing when the press cannot go
    // on, having said why.
    std::optional<std::vector<std::int16_t>> ListPorts();
    // Finds the ports that are a second name of an earlier port's device.
    void FindSecondNames(const std::vector<std::int16_t>& ports);
    // Whether a terminal was ever saved from `port`, as the history says.
    bool EverSaved(std::int16_t port);

    // What the window shows.
    void Status(const std::string& text);
    void ShowReport();
    // A running port's state in words: "connecting", "45%, 12,000 of 26,000 bytes".
    std::string LiveState(const Turn& turn) const;
    void ShowProgress();
    void Progress(int percent);
    std::string Number(long long value) const { return environment_.locale.Number(value); }

    const PressEnvironment& environment_;
    PressInputs& inputs_;
    DownloadWindow& window_;
    const PressScope scope_;

    DownloadResult result_;                 // its ports are the report's final lines
    std::vector<std::string> savedPaths_;   // the run's files taken earlier, then this press's, in order
    std::deque<std::unique_ptr<Turn>> turns_;  // of every pass, in the order of the list
    std::size_t passStart_ = 0;             // the first turn of the running pass
    bool stopping_ = false;                 // asked to stop: no port starts, workers are told to end
    std::chrono::steady_clock::time_point stoppedAt_{};
    std::string loadFailure_;               // no port can run (no library, no worker program): why
    std::string pressId_;                   // the press's own, for the history
    std::unique_ptr<PartFiles> parts_;      // where the files arrive, recorded as ours
    std::string historyTrouble_;            // why the history could not be written
    // "COM3": a terminal was saved there before, by the history; read when first needed.
    std::optional<std::set<std::string>> portsEverSaved_;
    std::map<std::int16_t, std::int16_t> sameAs_;  // a second name of a device: the port of its first
    std::string statusShown_;
    std::string reportShown_;
    int progressShown_ = -1;

    std::mutex eventsMutex_;
    std::condition_variable eventsArrived_;
    std::deque<Event> events_;
};

}  // namespace bayhaul
