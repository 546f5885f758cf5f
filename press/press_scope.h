// What a press covers.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace bayhaul {

struct PressScope {
    // Only these COM ports of the list (a watch's press for a terminal that
    // has just arrived); every COM port when not set.
    std::optional<std::vector<std::int16_t>> ports;
    // Files saved earlier in the same run, which the press never replaces:
    // it takes the next suffix, as within one press.
    std::vector<std::string> namesTaken;
    // What the history gets besides the saved files: the ports where the
    // press found nothing to do (no terminal, no file), and the failures
    // (files not saved, a press that could not run). A watch records
    // neither where nothing was to be done, and each failure once.
    bool recordNothingFound = true;
    bool recordFailures = true;
};

}  // namespace bayhaul
