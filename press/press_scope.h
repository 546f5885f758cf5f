// What a press covers.
#pragma once

#include <cstdint>
#include <filesystem>
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
    // A file saved at or after this moment, by this run or by any other
    // press, is never replaced either (a watch's press); nothing when files
    // of earlier presses are replaced as usual.
    std::optional<std::filesystem::file_time_type> keepFilesSavedSince{};
    // What the history gets besides the saved files: the ports where the
    // press found nothing to do (no terminal, no file), and the failures
    // (files not saved, a press that could not run). A watch records
    // neither where nothing was to be done, and each failure once.
    bool recordNothingFound = true;
    bool recordFailures = true;
};

}  // namespace bayhaul
