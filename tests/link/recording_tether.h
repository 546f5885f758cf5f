// An in-process stand-in for the terminal link library. Each of the ten
// functions records its call with its arguments and returns the next
// scripted result; an empty script gives the failing or finishing value.
// It may be called from several threads at once, and counts how many.
#pragma once

#include <chrono>
#include <cstdint>
#include <deque>
#include <map>
#include <functional>
#include <optional>
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

    // Scripted results, taken from the front. Empty: 0, except polls
    // (selector 0): 2. The call with selector 1 repeats the last poll's
    // status (2 when there was none); after a Tether_UpLoad that started
    // nothing, it gives the next scripted poll (4 when there is none).
    std::deque<LinkHandle> handles;
    std::deque<std::int16_t> connects;
    std::deque<std::int16_t> queries;
    std::deque<std::int16_t> uploads;
    std::deque<std::int16_t> polls;
    std::deque<std::int16_t> deletes;  // empty: 1
    std::deque<std::int16_t> clocks;   // empty: 1

    // When set, the library exports Tether_Features with these bits, as
    // ours does; otherwise it lacks it, as the terminal maker's does.
    std::optional<std::int32_t> features;

    // When not empty, written over the buffers as the real library may do.
    std::string queryScribble;  // into the file name of Tether_ESC_J
    std::string clockReply;     // into the stamp of Tether_ESC_M

    // Written to the local path by each Tether_UpLoad that returns non-zero,
    // as a library that writes straight to the path it is given. Empty:
    // nothing is written.
    std::deque<std::string> files;
    // When set, every Tether_StLoad reports the size of the last written
    // file as received and this as the announced size; otherwise it leaves
    // its outputs alone.
    std::optional<std::int32_t> announced;
    // Run inside every poll (selector 0) before it returns, to act as the
    // user or the line would while a transfer runs.
    std::function<void()> duringPoll;
    // Run inside Tether_Disconnect, as a library whose background copy
    // ends only then.
    std::function<void()> duringDisconnect;

    // One line per call, e.g. "SetupEx 7 3 8 1 N".
    std::vector<std::string> calls;

    // The most calls that were inside the library at once: a library that
    // has not said it allows more must never see two.
    int mostAtOnce = 0;

    // Terminals by COM port, for presses whose ports run side by side: a
    // port listed here answers from its own entry, whatever order the
    // threads call in (a handle belongs to the port it was set up for, and
    // handles are numbered from 100). Every call is recorded as above.
    struct Terminal {
        std::optional<std::string> file;         // what it sends; none: it has no file
        std::chrono::milliseconds transferTime;  // polls say "running" until this has passed
        std::chrono::milliseconds answerTime{100};  // how long Tether_Connect takes
        std::int16_t status = 2;                 // how the transfer then ends
        std::int16_t deleted = 1;                // what Tether_ESC_E gives
    };
    std::map<int, Terminal> terminals;
    // Run inside Tether_ESC_E with the port, outside the library's lock.
    std::function<void(int port)> duringDelete;
};

// A library that cannot be loaded; counts the attempts.
class MissingTether final : public TetherSource {
public:
    const TetherFunctions* Functions(LoadError& error) override {
        ++attempts;
        error = {"/opt/bayhaul/TetherDll.so", "file not found"};
        return nullptr;
    }
    int attempts = 0;
};

}  // namespace bayhaul
