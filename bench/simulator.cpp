#include "bench/simulator.h"

#include <signal.h>
#include <stdlib.h>

#include "link/shared_library.h"

namespace bayhaul::bench {

std::filesystem::path PrivateUser() {
    char pattern[] = "/tmp/bayhaul-bench-XXXXXX";
    if (!mkdtemp(pattern)) return {};
    const std::filesystem::path work = pattern;
    setenv("XDG_RUNTIME_DIR", work.c_str(), 1);
    setenv("HOME", (work / "home").c_str(), 1);
    setenv("XDG_CONFIG_HOME", (work / "home" / "config").c_str(), 1);
    unsetenv("XDG_STATE_HOME");
    std::error_code error;
    std::filesystem::create_directories(work / "home" / "Desktop", error);
    return error ? std::filesystem::path() : work;
}

std::unique_ptr<sim::ChildProcess> StartSimulator(int com, const std::filesystem::path& dir,
                                                  const std::vector<std::string>& options) {
    std::string reason;
    const std::filesystem::path simulator = ExecutableFolder(reason) / "bayhaul-terminal";
    auto child = sim::ChildProcess::StartSimulator({simulator.string()}, com, dir.string(), options);
    if (child) child->StopReading();  // a benchmark reads none of its lines
    return child;
}

}  // namespace bayhaul::bench
