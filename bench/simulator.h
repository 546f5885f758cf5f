// What the benchmarks run in: a user of their own, and simulated terminals.
#pragma once

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "sim/child_process.h"

namespace bayhaul::bench {

// A fresh folder under /tmp that this process takes as its user's home
// (with a Desktop), configuration, state and runtime folders, so the
// benchmark's virtual ports, settings.ini and history touch nothing of the
// real user's. Empty when none could be made.
std::filesystem::path PrivateUser();

// The simulator beside the benchmark's own program, on COM<com> serving
// `dir`, ready when returned (nothing when it did not start); stopped when
// it goes.
std::unique_ptr<sim::ChildProcess> StartSimulator(int com, const std::filesystem::path& dir,
                                                  const std::vector<std::string>& options);

}  // namespace bayhaul::bench
