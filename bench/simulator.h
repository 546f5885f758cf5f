// A simulated terminal for a benchmark: the simulator beside the benchmark's
// own program, on COM<com> serving `dir`, ready when returned (nothing when
// it did not start); stopped when it goes.
#pragma once

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "sim/child_process.h"

namespace bayhaul::bench {

std::unique_ptr<sim::ChildProcess> StartSimulator(int com, const std::filesystem::path& dir,
                                                  const std::vector<std::string>& options);

}  // namespace bayhaul::bench
