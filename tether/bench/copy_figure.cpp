#include "tether/bench/copy_figure.h"

#include <algorithm>
#include <cstdio>

namespace bayhaul::bench {

CopyFigure Judge(const std::vector<CopyRun>& runs, std::uint64_t size, int bitsPerSecond) {
    CopyFigure figure;
    if (runs.empty()) {
        figure.failure = "no run";
        return figure;
    }
    std::vector<double> seconds;
    for (const CopyRun& run : runs) {
        if (!run.done) {
            figure.failure = "the transfer failed (" + run.how + ")";
            return figure;
        }
        if (!run.identical) {
            figure.failure = "the copy differs from the source";
            return figure;
        }
        seconds.push_back(run.seconds);
    }
    std::sort(seconds.begin(), seconds.end());
    figure.counts = true;
    figure.seconds = seconds[seconds.size() / 2];
    figure.efficiency = static_cast<double>(size) / (figure.seconds * bitsPerSecond / 10.0);
    return figure;
}

std::string Describe(const CopyFigure& figure) {
    if (!figure.counts) return "FAILED: " + figure.failure;
    char text[64];
    std::snprintf(text, sizeof text, "%8.2f s  %.3f", figure.seconds, figure.efficiency);
    return text;
}

}  // namespace bayhaul::bench
