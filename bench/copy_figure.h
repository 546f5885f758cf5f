// What a benchmark run of one copy shows: seconds and line efficiency, or
// why the run does not count. An efficiency is only ever given for a copy
// that ended as done and is identical to its source.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace bayhaul::bench {

struct CopyRun {
    bool done = false;       // the transfer ended as a success
    bool identical = false;  // the copy has exactly the source's bytes
    double seconds = 0;
    std::string how;  // how it ended, e.g. "library status 7"
};

struct CopyFigure {
    bool counts = false;
    double seconds = 0;
    double efficiency = 0;  // payload bytes / (seconds x line bytes a second, 10 bits a byte)
    std::string failure;    // why it does not count
    int failedRuns = 0;     // runs left out (JudgeOther)
    int runs = 0;
};

// The median run of several; a case with any failed run does not count.
CopyFigure Judge(const std::vector<CopyRun>& runs, std::uint64_t size, int bitsPerSecond);

// For another program, which may fail some runs: the median of the runs
// that ended identical, with how many of the others failed.
CopyFigure JudgeOther(const std::vector<CopyRun>& runs, std::uint64_t size, int bitsPerSecond);

// "  22.91 s  0.993" or "FAILED: the copy differs from the source".
std::string Describe(const CopyFigure& figure);

}  // namespace bayhaul::bench
