// How one press of the download button ended.
#pragma once

#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

namespace bayhaul {

// How far a terminal got on one port, in rising order: the report keeps
// the furthest outcome of the two passes.
enum class PortOutcome {
    NoTerminal,  // nothing answered, or the port could not be used
    NoFile,      // a terminal without the data file
    NotSaved,    // a file that should have been saved was not (or the port is another program's)
    Saved,
};

// One line of the report: what happened on one port, in words.
struct PortReport {
    std::int16_t port = 0;  // 0: the press itself
    PortOutcome outcome = PortOutcome::NoTerminal;
    std::string text{};    // e.g. "COM3: saved /home/ann/Desktop/FORM.DAT (12,345 bytes)"
    std::string why{};     // NotSaved: the reason alone, e.g. "the disk is full"
    bool warning = false;  // saved, but something after the copy (delete, clock) did not go as asked
    bool final = true;     // false: the live state of a port still running ("COM4: 45%, ...")
    std::int16_t waitingFor = 0;  // live: its file is in, waiting for this earlier port's name
    int percent = -1;             // live, its file arriving: how far, 0 to 100; -1 when not known
    // A line of the press's own that is no port's outcome (the history could
    // not be written, leftovers removed): shown, never counted.
    bool note = false;
};

// The report as one text, a line per port.
inline std::string ReportText(const std::vector<PortReport>& lines) {
    std::string text;
    for (const PortReport& line : lines) text += (text.empty() ? "" : "\n") + line.text;
    return text;
}

// What to try after a press in which no terminal answered at all.
inline constexpr char kNoTerminalHint[] =
    "No terminal answered. Switch the terminals on, seat them in their cradles, and press again.";

struct DownloadResult {
    int saved = 0;             // files received and in place
    bool couldNotRun = false;  // no library, the port list failed, no save folder, another press ran
    bool stopped = false;      // the window closed during the press
    std::vector<PortReport> ports;  // a line per port, in the order they were first tried
    std::vector<std::string> savedFiles;  // the files put in place, in order

    // The ports that ended so; the press's own lines are not counted.
    int Count(PortOutcome outcome) const {
        return static_cast<int>(std::count_if(ports.begin(), ports.end(), [outcome](const PortReport& p) {
            return p.outcome == outcome && p.port > 0;
        }));
    }
    int NotSaved() const { return Count(PortOutcome::NotSaved); }
    // A press that ran through and found no terminal anywhere.
    bool NoTerminalAnswered() const {
        return !couldNotRun && !stopped && saved == 0 && NotSaved() == 0 && Count(PortOutcome::NoFile) == 0;
    }
};

}  // namespace bayhaul
