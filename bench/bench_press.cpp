// bayhaul-bench-press: how long one `bayhaul --download` press takes with
// many terminals, against the press with only the largest of them. It
// starts N simulated terminals on paced lines (115200 bit/s, 5 ms each
// way) and K ports with a silent device, runs the press R times for each
// case, checks every copy, and prints the medians, their ratio, the CPU the
// pressing program and its ports' workers used, and the most memory one
// worker held. Then it starts the worker program alone, as a press does,
// and prints how long it takes to start, load the library and end, and
// its memory. A benchmark, not a test: it prints numbers, and fails only
// when a copy is not identical.
//
//   bayhaul-bench-press [--terminals N] [--size BYTES] [--empty K] [--runs R] [--library PATH]
//
// --library presses with the terminal library file PATH instead of ours:
// a copy of the program and its worker, in a folder of the benchmark's own,
// find PATH there by a symbolic link under the library's name, as the
// worker loads its library from its own folder only.
#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "link/shared_library.h"
#include "link/tether_library.h"
#include "press/program_workers.h"
#include "settings/output_naming.h"
#include "bench/simulator.h"

namespace fs = std::filesystem;
using bayhaul::sim::ChildProcess;

namespace {

struct Options {
    int terminals = 16;
    std::size_t size = 256 * 1024;
    int empty = 4;
    int runs = 3;
    fs::path library;  // empty: ours, beside the program
};

struct Run {
    double seconds = 0;
    double cpuSeconds = 0;  // of the pressing program and its workers together
    long workerKiB = 0;     // the most memory one worker held, resident
    bool identical = false;
};

// The largest resident memory among the running processes of `program`, in KiB.
long LargestResident(const fs::path& program) {
    long largest = 0;
    std::error_code error;
    for (const auto& entry : fs::directory_iterator("/proc", error)) {
        std::error_code ignored;
        if (fs::read_symlink(entry.path() / "exe", ignored) != program) continue;
        std::ifstream status(entry.path() / "status");
        for (std::string line; std::getline(status, line);) {
            if (line.rfind("VmRSS:", 0) == 0) largest = std::max(largest, std::strtol(line.c_str() + 6, nullptr, 10));
        }
    }
    return largest;
}

std::string ReadAll(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

std::string RandomData(std::size_t size, unsigned seed) {
    std::string data(size, '\0');
    std::mt19937 random(seed);
    for (char& c : data) c = static_cast<char>(random());
    return data;
}

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

// One press of the program in `work`; the files expected on the desktop, in order.
Run Press(const fs::path& program, const fs::path& work, const std::vector<std::string>& expected) {
    const fs::path worker = program.parent_path() / bayhaul::kWorkerProgramFile;
    const fs::path desktop = work / "home" / "Desktop";
    for (const auto& entry : fs::directory_iterator(desktop)) fs::remove_all(entry.path());
    std::string exe = program.string(), option = "--download";
    char* argv[] = {exe.data(), option.data(), nullptr};
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addchdir_np(&actions, work.c_str());
    Run run;
    pid_t pid = -1;
    const auto started = std::chrono::steady_clock::now();
    if (posix_spawn(&pid, exe.c_str(), &actions, nullptr, argv, environ) == 0) {
        int status = 0;
        rusage usage{};
        // The usage of the program includes that of the workers it waited for.
        while (wait4(pid, &status, WNOHANG, &usage) == 0) {
            run.workerKiB = std::max(run.workerKiB, LargestResident(worker));
            usleep(100 * 1000);
        }
        run.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
        const auto seconds = [](const timeval& t) { return t.tv_sec + t.tv_usec / 1e6; };
        run.cpuSeconds = seconds(usage.ru_utime) + seconds(usage.ru_stime);
        run.identical = WIFEXITED(status) && WEXITSTATUS(status) == 0;
    }
    posix_spawn_file_actions_destroy(&actions);
    for (std::size_t i = 0; i < expected.size(); ++i) {
        const std::string name = "FORM" + bayhaul::NameSuffix(i) + ".DAT";
        run.identical = run.identical && ReadAll(desktop / name) == expected[i];
    }
    return run;
}

// R presses; prints and gives the median time.
double Measure(const char* what, const fs::path& program, const fs::path& work,
               const std::vector<std::string>& expected, int runs, bool& allIdentical) {
    std::vector<double> times, cpus;
    for (int i = 0; i < runs; ++i) {
        const Run run = Press(program, work, expected);
        allIdentical = allIdentical && run.identical;
        times.push_back(run.seconds);
        cpus.push_back(run.cpuSeconds);
        std::printf("  %s, run %d: %.2f s, CPU %.2f s (%.1f%% of one core), a worker at most %.1f MiB resident%s\n",
                    what, i + 1, run.seconds, run.cpuSeconds, 100 * run.cpuSeconds / run.seconds,
                    run.workerKiB / 1024.0, run.identical ? "" : ", COPY FAILED");
        std::fflush(stdout);
    }
    return Median(times);
}

// The program to press with: ours beside the benchmark, or a copy of it in
// `work` whose own folder holds `library` under the library's name. Empty,
// with the reason printed, when it cannot be made.
fs::path ProgramWith(const fs::path& library, const fs::path& work) {
    std::string reason;
    const fs::path ours = bayhaul::ExecutableFolder(reason) / "bayhaul";
    if (library.empty()) return ours;
    const fs::path folder = work / "program";
    std::error_code error;
    const fs::path target = fs::canonical(library, error);
    if (!error) fs::create_directory(folder, error);
    if (!error) fs::copy_file(ours, folder / "bayhaul", error);
    if (!error) fs::copy_file(ours.parent_path() / bayhaul::kWorkerProgramFile, folder / bayhaul::kWorkerProgramFile, error);
    if (!error) fs::create_symlink(target, folder / bayhaul::kTetherLibraryFile, error);
    if (error) {
        std::fprintf(stderr, "cannot press with the library %s: %s\n", library.c_str(), error.message().c_str());
        return {};
    }
    return folder / "bayhaul";
}

// The worker program alone, as a press starts it for a probe of a port
// with no device: from its start to its end, it loads the library and
// gives its answer. Prints the median of 20 starts. (Its memory is the
// press's figure above: a process spawned from this one counts this one's
// pages until it has started.)
void WorkerStartUp(const fs::path& worker) {
    std::vector<double> times;
    for (int i = 0; i < 20; ++i) {
        std::string exe = worker.string(), probe = "--probe", port = "250";
        char* argv[] = {exe.data(), probe.data(), port.data(), nullptr};
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
        pid_t pid = -1;
        const auto started = std::chrono::steady_clock::now();
        if (posix_spawn(&pid, exe.c_str(), &actions, nullptr, argv, environ) == 0) {
            int status = 0;
            waitpid(pid, &status, 0);
            times.push_back(std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - started).count());
        }
        posix_spawn_file_actions_destroy(&actions);
    }
    if (times.empty()) return;
    std::printf("a worker from its start to its end (library loaded, a port probed): %.1f ms (median of %zu)\n",
                Median(times), times.size());
}

}  // namespace

int main(int argc, char** argv) {
    Options options;
    bool understood = argc % 2 == 1;
    for (int i = 1; i + 1 < argc; i += 2) {
        const std::string flag = argv[i];
        const long value = std::strtol(argv[i + 1], nullptr, 10);
        if (flag == "--terminals") options.terminals = static_cast<int>(value);
        else if (flag == "--size") options.size = static_cast<std::size_t>(value);
        else if (flag == "--empty") options.empty = static_cast<int>(value);
        else if (flag == "--runs") options.runs = static_cast<int>(value);
        else if (flag == "--library") options.library = argv[i + 1];
        else understood = false;
    }
    if (!understood || options.terminals < 1 || options.terminals > 60 || options.empty < 0 || options.runs < 1) {
        std::fprintf(stderr,
                     "usage: bayhaul-bench-press [--terminals N] [--size BYTES] [--empty K] [--runs R] "
                     "[--library PATH]\n");
        return 2;
    }

    const fs::path work = bayhaul::bench::PrivateUser();
    if (work.empty()) return 1;
    const fs::path program = ProgramWith(options.library, work);
    if (program.empty()) {
        fs::remove_all(work);
        return 1;
    }
    const std::vector<std::string> line{"--pace", "--latency", "5"};

    // The terminals on COM21 and up, the silent ports after them.
    std::vector<std::string> data;
    std::vector<std::unique_ptr<ChildProcess>> running;
    for (int i = 0; i < options.terminals + options.empty; ++i) {
        const fs::path storage = work / ("terminal" + std::to_string(i));
        fs::create_directories(storage);
        std::vector<std::string> extra = line;
        if (i < options.terminals) {
            data.push_back(RandomData(options.size, static_cast<unsigned>(i + 1)));
            std::ofstream(storage / "FORM.DAT", std::ios::binary) << data.back();
        } else {
            extra.push_back("--no-answer");
        }
        running.push_back(bayhaul::bench::StartSimulator(21 + i, storage, extra));
        if (!running.back()) {
            std::fprintf(stderr, "simulator %d did not start\n", i);
            return 1;
        }
    }

    std::printf("%d terminals x %zu bytes and %d silent ports, paced lines at 115200 bit/s, 5 ms each way\n",
                options.terminals, options.size, options.empty);
    if (!options.library.empty()) std::printf("the terminal library: %s\n", options.library.c_str());
    bool identical = true;
    const double all = Measure("every port", program, work, data, options.runs, identical);
    // The largest terminal alone: the others are stopped.
    running.resize(1);
    const double alone =
        Measure("the largest terminal alone", program, work, {data.front()}, options.runs, identical);
    std::printf("press with every port: %.2f s (median of %d)\n", all, options.runs);
    std::printf("press with the largest terminal alone: %.2f s\n", alone);
    std::printf("ratio: %.2f\n", all / alone);
    WorkerStartUp(program.parent_path() / bayhaul::kWorkerProgramFile);
    std::printf("%s\n", identical ? "every copy identical" : "FAILED: a copy is not identical");
    running.clear();
    fs::remove_all(work);
    return identical ? 0 : 1;
}
