#include "bench/simulator.h"

#include <signal.h>

#include "link/shared_library.h"

namespace bayhaul::bench {

std::unique_ptr<sim::ChildProcess> StartSimulator(int com, const std::filesystem::path& dir,
                                                  const std::vector<std::string>& options) {
    std::string reason;
    const std::filesystem::path simulator = ExecutableFolder(reason) / "bayhaul-terminal";
    auto child = sim::ChildProcess::StartSimulator({simulator.string()}, com, dir.string(), options);
    if (child) child->StopReading();  // a benchmark reads none of its lines
    return child;
}

}  // namespace bayhaul::bench
