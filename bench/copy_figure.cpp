#include "bench/copy_figure.h"

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

CopyFigure JudgeOther(const std::vector<CopyRun>& runs, std::uint64_t size, int bitsPerSecond) {
    std::vector<CopyRun> good;
    std::string lastFailure;
    for (const CopyRun& run : runs) {
        if (run.done && run.identical)
            good.push_back(run);
        else
            lastFailure = Judge({run}, size, bitsPerSecond).failure;
    }
    CopyFigure figure = good.empty() ? Judge(runs, size, bitsPerSecond) : Judge(good, size, bitsPerSecond);
    if (good.empty()) figure.failure = lastFailure;
    figure.failedRuns = static_cast<int>(runs.size() - good.size());
    figure.runs = static_cast<int>(runs.size());
    return figure;
}

std::string Describe(const CopyFigure& figure) {
    if (!figure.counts) {
        const std::string all = figure.runs > 1 ? " in all " + std::to_string(figure.runs) + " runs" : "";
        return "FAILED" + all + ": " + figure.failure;
    }
    char text[96];
    std::snprintf(text, sizeof text, "%8.2f s  %.3f", figure.seconds, figure.efficiency);
    std::string described = text;
    if (figure.failedRuns > 0) {
        described += " (" + std::to_string(figure.failedRuns) + " of " + std::to_string(figure.runs) + " runs failed)";
    }
    return described;
}

}  // namespace bayhaul::bench
