#include "press/worker_probe.h"

#include <condition_variable>
#include <mutex>
#include <thread>

#include "press/port_worker.h"
#include "press/worker_protocol.h"

namespace bayhaul {

namespace {

constexpr std::chrono::milliseconds kGiveUpCheck{50};

}  // namespace

std::optional<PortProbe> ProbeInWorker(WorkerStarter& workers, const std::string& libraryFile, std::int16_t port,
                                       std::chrono::milliseconds limit, const std::function<bool()>& giveUp,
                                       std::string& failure) {
    failure.clear();
    const std::unique_ptr<WorkerLink> worker = workers.Start(WorkerArguments({port, true, libraryFile}), failure);
    if (!worker) return PortProbe::NoTerminal;

    // Ends the worker when it has not answered in time, or the probe is given up.
    std::mutex mutex;
    std::condition_variable answered;
    bool done = false, timedOut = false, givenUp = false;
    std::thread watchdog([&] {
        const auto end = std::chrono::steady_clock::now() + limit;
        std::unique_lock lock(mutex);
        while (!answered.wait_for(lock, kGiveUpCheck, [&] { return done; })) {
            givenUp = giveUp();
            timedOut = std::chrono::steady_clock::now() >= end;
            if (givenUp || timedOut) {
                worker->End();
                return;
            }
        }
    });

    std::optional<worker::Message> answer;
    worker::Decoder decoder;
    char buffer[1024];
    while (!answer && !decoder.Failed()) {
        const std::size_t got = worker->Receive(buffer, sizeof buffer);
        if (got == 0) break;
        decoder.Feed(buffer, got);
        answer = decoder.Next();
    }
    {
        const std::lock_guard lock(mutex);
        done = true;
    }
    answered.notify_one();
    watchdog.join();

    if (givenUp) return std::nullopt;
    if (answer && answer->type == worker::Type::Probed) {
        const auto probe = static_cast<PortProbe>(answer->Number(0));
        if (probe == PortProbe::Terminal || probe == PortProbe::Busy) return probe;
        return PortProbe::NoTerminal;
    }
    if (answer && answer->type == worker::Type::LoadFailed)
        failure = answer->Field(0);
    else if (timedOut)
        failure = "the terminal library stopped responding";
    else
        failure = "the terminal library stopped working (crashed)";
    return PortProbe::NoTerminal;
}

}  // namespace bayhaul
