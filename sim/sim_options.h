// Command-line options of the terminal simulator.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "tether/core/link_messages.h"
#include "tether/core/ymodem_sender.h"

namespace bayhaul::sim {

struct SimOptions {
    int com = 0;
    std::string dir;
    char setting = '8';             // '8': answers at 115200 bit/s, '9': at 9600
    bool pace = false;              // pace both directions at the line's speed
    std::int64_t stallAfter = -1;   // bytes of a file phase, then silence
    std::int64_t hangupAfter = -1;  // bytes of a file phase, then the line drops
    double noise = 0;               // fraction of the line's bytes corrupted, each way
    bool noAnswer = false;
    bool ignoreQueries = false;                    // answers no file query, as if each one were lost on the line
    bool switchedOff = false;                      // answers nothing until SIGUSR1 switches it on (SIGUSR2 off again)
    int latencyMs = 0;                             // every byte arrives this much after it was sent, each way
    int protocol = tether::msg::kProtocolVersion;  // 1: cannot resume; 2: deletes by name alone
    tether::ymodem::BlockSizeRule::Choice blocks = tether::ymodem::BlockSizeRule::Choice::Follow;
    std::int64_t corruptAt = -1;  // corrupts the byte at this place of a connection's first file phase
    std::int64_t rewriteAt = -1;  // rewrites the data file (same size) once this much of that phase is sent

    int BitsPerSecond() const { return tether::BitsPerSecondFor(setting); }
};

// The options, or nullopt with `error` set to a one-line message.
std::optional<SimOptions> ParseSimOptions(int argc, const char* const* argv, std::string& error);

extern const char* const kSimUsage;

}  // namespace bayhaul::sim
