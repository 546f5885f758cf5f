#include "sim/sim_options.h"

#include <cstdlib>
#include <cerrno>

#include "ports/port_table.h"

namespace bayhaul::sim {

const char* const kSimUsage =
    "usage: bayhaul-terminal --com N --dir DIR [--setting 8|9] [--pace] [--latency MS] [--noise FRACTION]\n"
    "                        [--stall-after BYTES] [--hangup-after BYTES] [--corrupt-at BYTE] [--rewrite-at BYTE]\n"
    "                        [--no-answer] [--ignore-queries] [--switched-off] [--protocol 1|2|3]\n"
    "                        [--blocks follow|1024|128]\n";

namespace {

bool ParseInteger(const std::string& text, std::int64_t low, std::int64_t high, std::int64_t& out) {
    if (text.empty()) return false;
    char* end = nullptr;
    errno = 0;
    const long long value = std::strtoll(text.c_str(), &end, 10);
    if (errno != 0 || *end != '\0' || value < low || value > high) return false;
    out = value;
    return true;
}

bool ParseFraction(const std::string& text, double& out) {
    if (text.empty()) return false;
    char* end = nullptr;
    const double value = std::strtod(text.c_str(), &end);
    if (*end != '\0' || !(value >= 0 && value <= 1)) return false;
    out = value;
    return true;
}

}  // namespace

std::optional<SimOptions> ParseSimOptions(int argc, const char* const* argv, std::string& error) {
    SimOptions options;
    for (int i = 1; i < argc; ++i) {
        const std::string flag = argv[i];
        if (flag == "--pace") {
            options.pace = true;
            continue;
        }
        if (flag == "--no-answer") {
            options.noAnswer = true;
            continue;
        }
        if (flag == "--ignore-queries") {
            options.ignoreQueries = true;
            continue;
        }
        if (flag == "--switched-off") {
            options.switchedOff = true;
            continue;
        }
        if (i + 1 >= argc) {
            error = flag.rfind("--", 0) == 0 ? flag + " needs a value" : "unknown argument " + flag;
            return std::nullopt;
        }
        const std::string value = argv[++i];
        std::int64_t number = 0;
        bool ok = true;
        if (flag == "--com") {
            ok = ParseInteger(value, 1, kMaxComNumber, number);
            options.com = static_cast<int>(number);
        } else if (flag == "--dir") {
            options.dir = value;
            ok = !value.empty();
        } else if (flag == "--setting") {
            ok = value == "8" || value == "9";
            options.setting = value.empty() ? '8' : value[0];
        } else if (flag == "--latency") {
            ok = ParseInteger(value, 0, 10000, number);
            options.latencyMs = static_cast<int>(number);
        } else if (flag == "--stall-after") {
            ok = ParseInteger(value, 0, INT64_MAX, options.stallAfter);
        } else if (flag == "--hangup-after") {
            ok = ParseInteger(value, 0, INT64_MAX, options.hangupAfter);
        } else if (flag == "--noise") {
            ok = ParseFraction(value, options.noise);
        } else if (flag == "--corrupt-at") {
            ok = ParseInteger(value, 0, INT64_MAX, options.corruptAt);
        } else if (flag == "--rewrite-at") {
            ok = ParseInteger(value, 0, INT64_MAX, options.rewriteAt);
        } else if (flag == "--protocol") {
            ok = ParseInteger(value, 1, tether::msg::kProtocolVersion, number);
            options.protocol = static_cast<int>(number);
        } else if (flag == "--blocks") {
            using Choice = tether::ymodem::BlockSizeRule::Choice;
            ok = value == "follow" || value == "1024" || value == "128";
            options.blocks = value == "1024" ? Choice::Always1024 : value == "128" ? Choice::Always128 : Choice::Follow;
        } else {
            error = "unknown option " + flag;
            return std::nullopt;
        }
        if (!ok) {
            error = "bad value for " + flag + ": " + value;
            return std::nullopt;
        }
    }
    if (options.com == 0 || options.dir.empty()) {
        error = "--com and --dir are required";
        return std::nullopt;
    }
    return options;
}

}  // namespace bayhaul::sim
