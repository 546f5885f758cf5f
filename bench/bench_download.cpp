// bayhaul-bench-download: one press of the real main window (offscreen
// unless a display is chosen) against paced simulated terminals, one
// unless --terminals says more, each holding 64 KiB (--size) at 115200
// bit/s, 5 ms latency. Prints how long the press took, the
// CPU time the program and its port's worker used meanwhile and the
// window's thread alone, their share of one core, how often the clock
// ticked, and how late a 10 ms timer of the window came at worst. A
// benchmark, not a test: it prints numbers, and fails only when the copy is
// not identical.
#include <stdlib.h>
#include <sys/resource.h>
#include <unistd.h>

#include <QApplication>
#include <QPushButton>
#include <QTimer>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <memory>
#include <string>
#include <vector>

#include "qt/form1.h"
#include "press/program_workers.h"
#include "ports/posix_device_platform.h"
#include "bench/simulator.h"
#include "settings/output_naming.h"

namespace fs = std::filesystem;

namespace {

// CPU time of the whole process, or of the calling thread alone.
double CpuSeconds(int who) {
    rusage usage{};
    getrusage(who, &usage);
    const auto seconds = [](const timeval& t) { return t.tv_sec + t.tv_usec / 1e6; };
    return seconds(usage.ru_utime) + seconds(usage.ru_stime);
}

std::string ReadAll(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

}  // namespace

int main(int argc, char** argv) {
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    std::size_t size = 64 * 1024;
    int terminals = 1;
    bool understood = argc % 2 == 1;
    for (int i = 1; i + 1 < argc; i += 2) {
        const std::string flag = argv[i];
        if (flag == "--size") size = std::strtoul(argv[i + 1], nullptr, 10);
        else if (flag == "--terminals") terminals = std::atoi(argv[i + 1]);
        else understood = false;
    }
    if (!understood || terminals < 1 || terminals > 60) {
        std::fprintf(stderr, "usage: bayhaul-bench-download [--size BYTES] [--terminals N]\n");
        return 2;
    }
    QApplication application(argc, argv);

    const fs::path work = bayhaul::bench::PrivateUser();
    if (work.empty()) return 1;
    std::vector<std::string> data;
    std::vector<std::unique_ptr<bayhaul::sim::ChildProcess>> running;
    for (int i = 0; i < terminals; ++i) {
        const fs::path storage = work / ("terminal" + std::to_string(i));
        fs::create_directories(storage);
        data.emplace_back(size, '\0');
        std::mt19937 random(11 + i);
        for (char& c : data.back()) c = static_cast<char>(random());
        std::ofstream(storage / "FORM.DAT", std::ios::binary) << data.back();
        running.push_back(bayhaul::bench::StartSimulator(64 + i, storage, {"--pace", "--latency", "5"}));
        if (!running.back()) {
            std::fprintf(stderr, "the simulator did not start\n");
            return 1;
        }
    }
    const bayhaul::SystemClock clock;
    bayhaul::Form1 window(clock, (work / "settings.ini").string(), bayhaul::ProgramWorkers(), [] {
        return std::make_shared<bayhaul::PosixDevicePlatform>(
            bayhaul::PortRoots{"/nonexistent/sys", "/nonexistent/dev", bayhaul::VirtualPortFolder()});
    });
    window.show();
    int clockTicks = 0;
    QObject::connect(window.findChild<QTimer*>(QStringLiteral("Timer1")), &QTimer::timeout, [&] { ++clockTicks; });

    // The window's loop: how late a 10 ms timer comes at worst.
    QTimer beat;
    auto lastBeat = std::chrono::steady_clock::now();
    std::chrono::steady_clock::duration worstLate{};
    QObject::connect(&beat, &QTimer::timeout, [&] {
        const auto now = std::chrono::steady_clock::now();
        worstLate = std::max(worstLate, now - lastBeat - std::chrono::milliseconds(10));
        lastBeat = now;
    });

    const double cpuBefore = CpuSeconds(RUSAGE_SELF) + CpuSeconds(RUSAGE_CHILDREN);
    const double windowCpuBefore = CpuSeconds(RUSAGE_THREAD);
    const auto started = std::chrono::steady_clock::now();
    window.findChild<QPushButton*>(QStringLiteral("Command4"))->click();
    beat.start(10);
    lastBeat = std::chrono::steady_clock::now();
    while (window.State().PressRunning()) QApplication::processEvents(QEventLoop::WaitForMoreEvents);
    beat.stop();
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
    const double cpu = CpuSeconds(RUSAGE_SELF) + CpuSeconds(RUSAGE_CHILDREN) - cpuBefore;
    const double windowCpu = CpuSeconds(RUSAGE_THREAD) - windowCpuBefore;

    bool identical = true;
    for (int i = 0; i < terminals; ++i) {
        const std::string name = "FORM" + bayhaul::NameSuffix(static_cast<std::size_t>(i)) + ".DAT";
        identical = identical && ReadAll(work / "home" / "Desktop" / name) == data[static_cast<std::size_t>(i)];
    }
    std::printf("press: %d terminal(s) of %zu bytes at 115200 bit/s in %.2f s, %s\n", terminals, size, seconds,
                identical ? "every copy identical" : "COPY FAILED");
    std::printf("CPU during the press, the ports' workers included: %.3f s, %.1f%% of one core (the window's thread "
                "alone: %.3f s, %.1f%%)\n", cpu,
                100 * cpu / seconds, windowCpu, 100 * windowCpu / seconds);
    std::printf("clock ticks during the press: %d (%.1f expected at one a second)\n", clockTicks, seconds);
    std::printf("the window's loop held at most %.1f ms (a 10 ms timer's worst lateness)\n",
                std::chrono::duration<double, std::milli>(worstLate).count());
    fs::remove_all(work);
    return identical ? 0 : 1;
}
