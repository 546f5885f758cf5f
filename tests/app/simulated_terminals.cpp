#include "simulated_terminals.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <filesystem>
#include <random>

namespace bayhaul::testing {

using namespace std::chrono_literals;

namespace {
constexpr uid_t kNobody = 65534;
}

SimulatedTerminals::SimulatedTerminals() {
    env_.Set("HOME", home.Path());
    env_.Set("XDG_CONFIG_HOME", home / "config");  // no user-dirs.dirs: the folders are ~/Desktop and ~/Documents
    env_.Set("XDG_STATE_HOME", home / ".local/state");  // the history and the lock of presses
    env_.Set("XDG_RUNTIME_DIR", runtime.Path());
    std::filesystem::create_directories(home / "Desktop");
    std::filesystem::create_directories(home / "Documents");
}

std::string SimulatedTerminals::Start(int com, const std::optional<std::string>& data,
                                      const std::vector<std::string>& options) {
    storages_.push_back(std::make_unique<TempDir>());
    const std::string folder = storages_.back()->Path();
    if (data) WriteWholeFile(folder + "/FORM.DAT", *data);
    if (!commandPrefix.empty()) std::filesystem::permissions(folder, std::filesystem::perms::all);
    std::vector<std::string> argv = commandPrefix;
    argv.insert(argv.end(), {SIMULATOR_PATH, "--com", std::to_string(com), "--dir", folder});
    argv.insert(argv.end(), options.begin(), options.end());
    auto terminal = tether::testing::ChildProcess::Start({argv, "", {}, -1, true});
    const auto ready = terminal ? terminal->ReadLine(5s) : std::nullopt;
    EXPECT_TRUE(ready && ready->rfind("ready COM" + std::to_string(com) + " ", 0) == 0)
        << "simulator did not start: " << ready.value_or("(nothing)");
    terminals_.emplace_back(com, std::move(terminal));
    return folder;
}

void SimulatedTerminals::Signal(int com, int signal) {
    for (auto& [number, terminal] : terminals_) {
        if (number == com && terminal) terminal->Signal(signal);
    }
}

std::vector<std::string> SimulatedTerminals::AsOrdinaryUser() {
    if (geteuid() != 0) return {};
    for (const TempDir* folder : {&home, &runtime, &work}) {
        for (const auto& entry : std::filesystem::recursive_directory_iterator(folder->Path()))
            ::chown(entry.path().c_str(), kNobody, kNobody);
        ::chown(folder->Path().c_str(), kNobody, kNobody);
    }
    commandPrefix = {"/usr/bin/setpriv", "--reuid=65534", "--regid=65534", "--clear-groups", "--"};
    return commandPrefix;
}

std::string SimulatedTerminals::RandomData(std::size_t size, unsigned seed) {
    std::mt19937 random(seed);
    std::string data(size, '\0');
    for (char& byte : data) byte = static_cast<char>(random());
    return data;
}

}  // namespace bayhaul::testing
