// bayhaul-bench-link: downloads a file through our terminal library from a
// paced simulator (latency 5 ms) at 115200 and at 9600 bit/s and prints the
// line efficiency: payload bytes / (seconds x line bytes a second, 10 bits a
// byte). Also prints how long Tether_Connect takes to fail on an empty port.
// A benchmark, not a test: it prints numbers and asserts nothing.
#include <pty.h>
#include <stdlib.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "link/tether_library.h"
#include "tether/bench/simulator_process.h"

namespace fs = std::filesystem;
using SteadyClock = std::chrono::steady_clock;

namespace {

void MeasureDownload(const bayhaul::TetherFunctions& lib, const fs::path& work, int com, char setting,
                     std::size_t size) {
    const int bitsPerSecond = setting == '8' ? 115200 : 9600;
    const bayhaul::bench::SimulatorProcess sim(com, work / "terminal",
                                               {"--setting", std::string(1, setting), "--pace", "--latency", "5"});
    if (!sim.ready()) {
        std::printf("%6d bit/s: simulator did not start\n", bitsPerSecond);
        return;
    }
    const LinkHandle h = lib.Tether_Create();
    lib.Tether_SetupEx(h, static_cast<std::int16_t>(com), static_cast<std::uint8_t>(setting), '1', 'N');
    if (lib.Tether_Connect(h) != 1) {
        std::printf("%6d bit/s: no connection\n", bitsPerSecond);
        lib.Tether_Destroy(h);
        return;
    }
    std::string target = (work / ("copy-" + std::to_string(bitsPerSecond))).string();
    const auto start = SteadyClock::now();
    const bool started = lib.Tether_UpLoad(h, 65, target.data(), "FORM.DAT", 0, 3) > 0;
    std::int32_t received = 0, total = 0;
    std::int16_t status = 0;
    while ((status = lib.Tether_StLoad(h, 0, &received, &total)) < 2 && started) {
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    const double seconds = std::chrono::duration<double>(SteadyClock::now() - start).count();
    lib.Tether_Destroy(h);
    const double efficiency = static_cast<double>(size) / (seconds * bitsPerSecond / 10.0);
    std::printf("%6d bit/s: %zu bytes in %.2f s, status %d, efficiency %.3f\n", bitsPerSecond, size, seconds, status,
                efficiency);
}

// A pseudo-terminal with nothing on the other side, published as COM<com>.
void MeasureEmptyPort(const bayhaul::TetherFunctions& lib, const fs::path& ports, int com) {
    int master = -1, slave = -1;
    char name[256] = {};
    if (openpty(&master, &slave, name, nullptr, nullptr) != 0) return;
    const fs::path link = ports / ("COM" + std::to_string(com));
    fs::create_symlink(name, link);
    const LinkHandle h = lib.Tether_Create();
    lib.Tether_SetupEx(h, static_cast<std::int16_t>(com), '8', '1', 'N');
    const auto start = SteadyClock::now();
    const std::int16_t result = lib.Tether_Connect(h);
    const double ms = std::chrono::duration<double, std::milli>(SteadyClock::now() - start).count();
    lib.Tether_Destroy(h);
    fs::remove(link);
    close(slave);
    close(master);
    std::printf("empty port: Tether_Connect returned %d after %.0f ms\n", result, ms);
}

}  // namespace

int main(int argc, char** argv) {
    std::size_t size = 256 * 1024;
    if (argc == 3 && std::string(argv[1]) == "--size")
        size = std::strtoul(argv[2], nullptr, 10);
    else if (argc != 1) {
        std::fprintf(stderr, "usage: bayhaul-bench-link [--size BYTES]\n");
        return 2;
    }
    bayhaul::TetherLibrary library;
    bayhaul::LoadError error;
    const bayhaul::TetherFunctions* functions = library.Functions(error);
    if (!functions) {
        std::fprintf(stderr, "%s\n", error.Message().c_str());
        return 1;
    }
    const bayhaul::TetherFunctions& lib = *functions;

    // A private virtual-port folder, so the user's own is untouched.
    char pattern[] = "/tmp/bayhaul-bench-XXXXXX";
    if (!mkdtemp(pattern)) return 1;
    const fs::path work = pattern;
    setenv("XDG_RUNTIME_DIR", work.c_str(), 1);
    const fs::path ports = work / "bayhaul" / "ports";
    fs::create_directories(ports);
    fs::create_directories(work / "terminal");
    std::vector<char> data(size);
    std::mt19937 random(7);
    for (char& c : data) c = static_cast<char>(random());
    std::ofstream(work / "terminal" / "FORM.DAT", std::ios::binary).write(data.data(), static_cast<long>(size));

    MeasureEmptyPort(lib, ports, 61);
    MeasureDownload(lib, work, 62, '8', size);
    MeasureDownload(lib, work, 63, '9', size);
    fs::remove_all(work);
    return 0;
}
