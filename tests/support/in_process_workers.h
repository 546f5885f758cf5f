// Workers on threads of the test's own process, over in-memory pipes, each
// running the worker's code with the given library: for press tests whose
// library is an in-process fake. Ending a worker closes its pipes; a fake
// library never hangs, so its thread then ends by itself.
#pragma once

#include <condition_variable>
#include <deque>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "link/tether_source.h"
#include "press/port_worker.h"
#include "press/worker_link.h"

namespace bayhaul::testing {

// One direction of a pipe.
class MemoryPipe {
public:
    bool Write(const std::string& bytes);
    std::size_t Read(char* buffer, std::size_t size);  // waits; 0 once closed and empty
    bool HasData();                                    // bytes or the close wait
    void Close();

private:
    std::mutex mutex_;
    std::condition_variable changed_;
    std::string bytes_;
    bool closed_ = false;
};

class InProcessWorkers final : public WorkerStarter {
public:
    explicit InProcessWorkers(TetherSource& library) : library_(library) {}
    std::unique_ptr<WorkerLink> Start(const std::vector<std::string>& arguments, std::string& why) override;

    // The orders the workers were started with.
    std::vector<WorkerOrder> started;

private:
    TetherSource& library_;
    std::mutex mutex_;
};

}  // namespace bayhaul::testing
