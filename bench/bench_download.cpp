// bayhaul-bench-download: one press of the real main window (offscreen
// unless a display is chosen) against a paced simulated terminal holding
// 64 KiB at 115200 bit/s, 5 ms latency. Prints how long the press took, the
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
#include <string>

#include "qt/form1.h"
#include "press/program_workers.h"
#include "ports/posix_device_platform.h"
#include "bench/simulator.h"

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
    if (argc == 3 && std::string(argv[1]) == "--size") {
        size = std::strtoul(argv[2], nullptr, 10);
    } else if (argc != 1) {
        std::fprintf(stderr, "usage: bayhaul-bench-download [--size BYTES]\n");
        return 2;
    }
    QApplication application(argc, argv);

    const fs::path work = bayhaul::bench::PrivateUser();
    if (work.empty()) return 1;
    fs::create_directories(work / "terminal");
    std::string data(size, '\0');
    std::mt19937 random(11);
    for (char& c : data) c = static_cast<char>(random());
    std::ofstream(work / "terminal" / "FORM.DAT", std::ios::binary) << data;

    const auto terminal = bayhaul::bench::StartSimulator(64, work / "terminal", {"--pace", "--latency", "5"});
    if (!terminal) {
        std::fprintf(stderr, "the simulator did not start\n");
        return 1;
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

    const bool identical = ReadAll(work / "home" / "Desktop" / "FORM.DAT") == data;
    std::printf("press: %zu bytes at 115200 bit/s in %.2f s, %s\n", size, seconds,
                identical ? "copy identical" : "COPY FAILED");
    std::printf("CPU during the press: %.3f s, %.1f%% of one core (the window's thread alone: %.3f s, %.1f%%)\n", cpu,
                100 * cpu / seconds, windowCpu, 100 * windowCpu / seconds);
    std::printf("clock ticks during the press: %d (%.1f expected at one a second)\n", clockTicks, seconds);
    std::printf("the window's loop held at most %.1f ms (a 10 ms timer's worst lateness)\n",
                std::chrono::duration<double, std::milli>(worstLate).count());
    fs::remove_all(work);
    return identical ? 0 : 1;
}
