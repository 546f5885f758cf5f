// A terminal simulator started by a benchmark from the benchmark's own
// folder, ready when constructed; stopped with SIGTERM when this goes.
#pragma once

#include <sys/types.h>

#include <filesystem>
#include <string>
#include <vector>

namespace bayhaul::bench {

class SimulatorProcess {
public:
    SimulatorProcess(int com, const std::filesystem::path& dir, const std::vector<std::string>& options);
    ~SimulatorProcess();
    SimulatorProcess(const SimulatorProcess&) = delete;
    SimulatorProcess& operator=(const SimulatorProcess&) = delete;

    // True once it printed its "ready" line (within 5 s).
    bool ready() const { return ready_; }

private:
    pid_t pid_ = -1;
    bool ready_ = false;
};

}  // namespace bayhaul::bench
