// An in-process stand-in for the terminal link library. Each of the ten
// functions records its call with its arguments and returns the next
// scripted result; an empty script gives the failing or finishing value.
#pragma once

#include <cstdint>
#include <deque>
#include <string>
#include <vector>

#include "link/tether_source.h"

namespace bayhaul {

class RecordingTether final : public TetherSource {
public:
    RecordingTether();  // becomes the fake the ten functions report to
    ~RecordingTether() override;
    RecordingTether(const RecordingTether&) = delete;
    RecordingTether& operator=(const RecordingTether&) = delete;

    const TetherFunctions* Functions(LoadError& error) override;

    // Scripted results, taken from the front. Empty: 0, except polls: 2.
    std::deque<LinkHandle> handles;
    std::deque<std::int16_t> connects;
    std::deque<std::int16_t> queries;
    std::deque<std::int16_t> uploads;
    std::deque<std::int16_t> polls;

    // When not empty, written over the buffers as the real library may do.
    std::string queryScribble;  // into the file name of Tether_ESC_J
    std::string clockReply;     // into the stamp of Tether_ESC_M

    // One line per call, e.g. "SetupEx 7 3 8 1 N".
    std::vector<std::string> calls;
};

}  // namespace bayhaul
