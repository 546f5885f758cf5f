// bayhaul-bench-link: copies a file through our terminal library from the
// simulated terminal, paced both ways with 5 ms of latency each way, on a
// clean line at 115200 and 9600 bit/s and on lines with noise, and prints
// for each the seconds and the line efficiency (payload bytes / (seconds x
// line bytes a second, 10 bits a byte)), the median of --runs runs. With
// --compare-lrzsz it runs lrzsz's sz into rz over the same line model on the
// same file and prints how much longer they take (the median of its runs
// that succeeded, and how many failed). A run of ours counts only when the
// copy ended as done and is identical to the source; otherwise the case
// prints FAILED and the benchmark exits with 1. It also prints how long a
// connect takes to fail on an empty port, and the client's CPU and memory.
#include <fcntl.h>
#include <pty.h>
#include <signal.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "link/tether_library.h"
#include "sim/line_model.h"
#include "bench/copy_figure.h"
#include "bench/simulator.h"
#include "tether/core/link_messages.h"

namespace fs = std::filesystem;
using bayhaul::bench::CopyRun;
using SteadyClock = std::chrono::steady_clock;

namespace {

constexpr auto kLatency = std::chrono::milliseconds(5);
constexpr auto kPollEvery = std::chrono::milliseconds(30);  // as the program polls

struct Case {
    const char* name;
    char setting;
    double noise;
    bool slowSize;                  // the 9600 bit/s file size (--slow-size)
    bool lrzsz128 = false;          // also compare with lrzsz's 128-byte blocks
    const char* blocks = "follow";  // the terminal's block sizes
};

double Seconds(SteadyClock::time_point since) {
    return std::chrono::duration<double>(SteadyClock::now() - since).count();
}

double CpuSeconds() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_utime.tv_sec + usage.ru_utime.tv_usec / 1e6 + usage.ru_stime.tv_sec + usage.ru_stime.tv_usec / 1e6;
}

long MaxResidentKiB() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

std::string ReadAll(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

std::string NoiseText(double noise) {
    char text[32];
    std::snprintf(text, sizeof text, "%g", noise);
    return text;
}

// The client's CPU while our copies ran, summed over them.
struct ClientUse {
    double cpu = 0;
    double seconds = 0;
};

CopyRun RunOurs(const bayhaul::TetherFunctions& lib, const fs::path& work, int com, const Case& c,
                const std::string& source, ClientUse& use) {
    CopyRun run;
    const auto sim = bayhaul::bench::StartSimulator(
        com, work / "terminal",
        {"--setting", std::string(1, c.setting), "--pace", "--latency", "5", "--noise", NoiseText(c.noise), "--blocks",
         c.blocks});
    if (!sim) {
        run.how = "the simulator did not start";
        return run;
    }
    const LinkHandle h = lib.Tether_Create();
    lib.Tether_SetupEx(h, static_cast<std::int16_t>(com), static_cast<std::uint8_t>(c.setting), '1', 'N');
    bool connected = false;
    for (int attempt = 0; attempt < 3 && !connected; ++attempt) connected = lib.Tether_Connect(h) == 1;
    if (!connected) {
        lib.Tether_Destroy(h);
        run.how = "no connection";
        return run;
    }
    const fs::path copy = work / "copy";
    fs::remove(copy);
    std::string target = copy.string();
    const double cpuBefore = CpuSeconds();
    const auto start = SteadyClock::now();
    std::int32_t received = 0, total = 0;
    std::int16_t status = 0;
    if (lib.Tether_UpLoad(h, 65, target.data(), "FORM.DAT", 0, 3) > 0) {
        while ((status = lib.Tether_StLoad(h, 0, &received, &total)) < 2) std::this_thread::sleep_for(kPollEvery);
    }
    run.seconds = Seconds(start);
    status = lib.Tether_StLoad(h, 1, &received, &total);
    use.cpu += CpuSeconds() - cpuBefore;
    use.seconds += run.seconds;
    lib.Tether_Destroy(h);
    run.done = status == 2;
    run.how = "library status " + std::to_string(status);
    run.identical = ReadAll(copy) == source;
    return run;
}

// A child program with its standard input and output on `tty`, in `folder`.
pid_t Spawn(const std::vector<std::string>& args, int tty, const fs::path& folder) {
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, tty, 0);
    posix_spawn_file_actions_adddup2(&actions, tty, 1);
    posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addchdir_np(&actions, folder.c_str());
    std::vector<char*> argv;
    std::vector<std::string> copies = args;
    for (std::string& arg : copies) argv.push_back(arg.data());
    argv.push_back(nullptr);
    pid_t pid = -1;
    if (posix_spawnp(&pid, argv[0], &actions, nullptr, argv.data(), environ) != 0) pid = -1;
    posix_spawn_file_actions_destroy(&actions);
    return pid;
}

// Waits for `pid` until `limit` has passed; false when it is still running.
bool WaitFor(pid_t pid, std::chrono::seconds limit, int& status) {
    const auto end = SteadyClock::now() + limit;
    while (SteadyClock::now() < end) {
        if (waitpid(pid, &status, WNOHANG) == pid) return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return false;
}

// sz into rz over the same line model, 115200 bit/s.
CopyRun RunLrzsz(const fs::path& work, const Case& c, bool oneK, const std::string& source, unsigned seed) {
    CopyRun run;
    int masterA = -1, slaveA = -1, masterB = -1, slaveB = -1;
    termios raw{};
    cfmakeraw(&raw);
    if (openpty(&masterA, &slaveA, nullptr, &raw, nullptr) != 0 ||
        openpty(&masterB, &slaveB, nullptr, &raw, nullptr) != 0) {
        run.how = "no pseudo-terminal";
        return run;
    }
    const fs::path received = work / "lrzsz-received";
    fs::remove_all(received);
    fs::create_directories(received);
    {
        bayhaul::sim::LineModelOptions options;
        options.bitsPerSecond = [] { return 115200; };
        options.latency = kLatency;
        options.noise = c.noise;
        options.seed = seed;
        const bayhaul::sim::LineModel line(masterA, masterB, options);
        const auto start = SteadyClock::now();
        std::vector<std::string> sz{"sz", "--ymodem"};
        if (oneK) sz.push_back("-k");
        sz.push_back("FORM.DAT");
        const pid_t receiver = Spawn({"rz", "--ymodem"}, slaveB, received);
        const pid_t sender = Spawn(sz, slaveA, work / "terminal");
        close(slaveA);
        close(slaveB);
        int status = 0;
        const auto limit = std::chrono::seconds(static_cast<long>(60 + 40.0 * source.size() * 10 / 115200));
        const bool ended = receiver > 0 && WaitFor(receiver, limit, status);
        run.seconds = Seconds(start);
        for (const pid_t pid : {receiver, sender}) {
            if (pid > 0) kill(pid, SIGKILL);
        }
        int ignored = 0;
        if (!ended && receiver > 0) waitpid(receiver, &ignored, 0);
        if (sender > 0) waitpid(sender, &ignored, 0);
        run.done = ended && WIFEXITED(status) && WEXITSTATUS(status) == 0;
        run.how = ended ? "rz exit status " + std::to_string(WEXITSTATUS(status)) : "still running after the limit";
    }
    close(masterA);
    close(masterB);
    run.identical = ReadAll(received / "FORM.DAT") == source;
    return run;
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
    const double ms = Seconds(start) * 1000;
    lib.Tether_Destroy(h);
    fs::remove(link);
    close(slave);
    close(master);
    std::printf("empty port: Tether_Connect returned %d after %.0f ms\n", result, ms);
}

struct Options {
    std::size_t size = 256 * 1024;
    std::size_t slowSize = 256 * 1024;
    std::string only;  // run only the cases whose name holds this
    int runs = 1;
    bool compareLrzsz = false;
    bool blockRule = false;  // also the noisy lines with fixed block sizes
};

const char* const kUsage =
    "usage: bayhaul-bench-link [--size BYTES] [--slow-size BYTES] [--runs N] [--compare-lrzsz]\n"
    "  --size       file size at 115200 bit/s (default 262144)\n"
    "  --slow-size  file size at 9600 bit/s (default 262144)\n"
    "  --case TEXT  only the lines whose name holds TEXT, e.g. --case 1e-3\n"
    "  --runs       runs per case; the median is shown (default 1)\n"
    "  --compare-lrzsz  also run sz into rz (1k blocks; 128-byte blocks too at noise 1e-3)\n"
    "  --block-rule     also the noisy lines with the terminal fixed at 1024- or 128-byte blocks\n";

bool Parse(int argc, char** argv, Options& options) {
    for (int i = 1; i < argc; ++i) {
        const std::string flag = argv[i];
        if (flag == "--compare-lrzsz") {
            options.compareLrzsz = true;
        } else if (flag == "--block-rule") {
            options.blockRule = true;
        } else if (i + 1 < argc && flag == "--case") {
            options.only = argv[++i];
        } else if (i + 1 < argc && (flag == "--size" || flag == "--slow-size" || flag == "--runs")) {
            const unsigned long value = std::strtoul(argv[++i], nullptr, 10);
            if (value == 0) return false;
            if (flag == "--size") options.size = value;
            if (flag == "--slow-size") options.slowSize = value;
            if (flag == "--runs") options.runs = static_cast<int>(value);
        } else {
            return false;
        }
    }
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    Options options;
    if (!Parse(argc, argv, options)) {
        std::fprintf(stderr, "%s", kUsage);
        return 2;
    }
    bayhaul::TetherLibrary library;
    bayhaul::LoadError error;
    const bayhaul::TetherFunctions* functions = library.Functions(error);
    if (!functions) {
        std::fprintf(stderr, "%s\n", error.Message().c_str());
        return 1;
    }

    const fs::path work = bayhaul::bench::PrivateUser();
    if (work.empty()) return 1;
    const fs::path ports = work / "bayhaul" / "ports";
    fs::create_directories(ports);
    fs::create_directories(work / "terminal");
    MeasureEmptyPort(*functions, ports, 61);

    std::vector<Case> cases = {
        {"clean 115200", '8', 0, false},
        {"clean 9600", '9', 0, true},
        {"115200 noise 1e-5", '8', 1e-5, false},
        {"115200 noise 1e-4", '8', 1e-4, false},
        {"115200 noise 1e-3", '8', 1e-3, false, true},
    };
    if (options.blockRule) {
        cases.insert(cases.end(), {{"1e-4, 1024 only", '8', 1e-4, false, false, "1024"},
                                   {"1e-4, 128 only", '8', 1e-4, false, false, "128"},
                                   {"1e-3, 1024 only", '8', 1e-3, false, false, "1024"},
                                   {"1e-3, 128 only", '8', 1e-3, false, false, "128"}});
    }
    std::printf("%-18s %8s %8s | %-26s %s\n", "line", "bytes", "", "ours: seconds efficiency", "lrzsz");
    bool allCounted = true;
    ClientUse use;
    unsigned seed = 1;
    for (const Case& c : cases) {
        if (std::string(c.name).find(options.only) == std::string::npos) continue;
        const std::size_t size = c.slowSize ? options.slowSize : options.size;
        std::string source(size, '\0');
        std::mt19937 random(static_cast<unsigned>(size));
        for (char& byte : source) byte = static_cast<char>(random());
        std::ofstream(work / "terminal" / "FORM.DAT", std::ios::binary) << source;
        const int bitsPerSecond = bayhaul::tether::BitsPerSecondFor(c.setting);

        std::vector<CopyRun> ours;
        for (int run = 0; run < options.runs; ++run) ours.push_back(RunOurs(*functions, work, 62, c, source, use));
        const auto figure = bayhaul::bench::Judge(ours, size, bitsPerSecond);
        allCounted = allCounted && figure.counts;
        std::string line = bayhaul::bench::Describe(figure);

        const auto compare = [&](bool oneK, const char* label) {
            std::vector<CopyRun> theirs;
            for (int run = 0; run < options.runs; ++run) theirs.push_back(RunLrzsz(work, c, oneK, source, seed++));
            const auto other = bayhaul::bench::JudgeOther(theirs, size, bitsPerSecond);
            line += std::string(" | ") + label + " " + bayhaul::bench::Describe(other);
            if (other.counts && figure.counts) {
                char ratio[64];
                std::snprintf(ratio, sizeof ratio, " (%.2fx ours)", other.seconds / figure.seconds);
                line += ratio;
            }
        };
        if (options.compareLrzsz && c.setting == '8' && std::string(c.blocks) == "follow") {
            compare(true, "1k");
            if (c.lrzsz128) compare(false, "128");
        }
        std::printf("%-18s %8zu | %s\n", c.name, size, line.c_str());
        std::fflush(stdout);
    }
    std::printf("client: %.1f%% of one core while copying, %ld KiB at most in memory\n",
                use.seconds > 0 ? 100 * use.cpu / use.seconds : 0.0, MaxResidentKiB());
    fs::remove_all(work);
    return allCounted ? 0 : 1;
}
