#include "tether/bench/simulator_process.h"

#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include "link/shared_library.h"

namespace bayhaul::bench {

SimulatorProcess::SimulatorProcess(int com, const std::filesystem::path& dir, const std::vector<std::string>& options) {
    int out[2];
    if (pipe(out) != 0) return;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, out[1], 1);
    posix_spawn_file_actions_addclose(&actions, out[0]);
    std::string reason;
    const std::string exe = (ExecutableFolder(reason) / "bayhaul-terminal").string();
    std::vector<std::string> args{exe, "--com", std::to_string(com), "--dir", dir.string()};
    args.insert(args.end(), options.begin(), options.end());
    std::vector<char*> argv;
    for (std::string& arg : args) argv.push_back(arg.data());
    argv.push_back(nullptr);
    if (posix_spawn(&pid_, exe.c_str(), &actions, nullptr, argv.data(), environ) != 0) pid_ = -1;
    posix_spawn_file_actions_destroy(&actions);
    close(out[1]);
    pollfd p{out[0], POLLIN, 0};
    char text[256] = {};
    ready_ = pid_ > 0 && poll(&p, 1, 5000) == 1 && read(out[0], text, sizeof text - 1) > 0 &&
             std::string(text).rfind("ready", 0) == 0;
    close(out[0]);
}

SimulatorProcess::~SimulatorProcess() {
    if (pid_ <= 0) return;
    kill(pid_, SIGTERM);
    waitpid(pid_, nullptr, 0);
}

}  // namespace bayhaul::bench
