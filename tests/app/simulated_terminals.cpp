#include "simulated_terminals.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <filesystem>
#include <random>

#include "support/in_child.h"

namespace bayhaul::testing {

using namespace std::chrono_literals;

namespace {
constexpr uid_t kNobody = 65534;
}

SimulatedTerminals::SimulatedTerminals() {
    env_.Set("HOME", home.Path());
    env_.Set("XDG_CONFIG_HOME", home / "config");       // no user-dirs.dirs: the folders are ~/Desktop and ~/Documents
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
    std::vector<std::string> simulator = commandPrefix;
    simulator.push_back(Program(SIMULATOR_PATH));
    auto terminal = sim::ChildProcess::StartSimulator(simulator, com, folder, options);
    EXPECT_TRUE(terminal) << "simulator did not start on COM" << com;
    terminals_.emplace_back(com, std::move(terminal));
    return folder;
}

void SimulatedTerminals::Signal(int com, int signal) {
    for (auto& [number, terminal] : terminals_) {
        if (number == com && terminal) terminal->Signal(signal);
    }
}

std::vector<std::string> SimulatedTerminals::AsOrdinaryUser(const std::vector<std::string>& programs,
                                                            std::string& why) {
    why.clear();
    if (geteuid() != 0) return {};
    namespace fs = std::filesystem;
    copies_ = std::make_unique<TempDir>();
    fs::permissions(copies_->Path(), fs::perms::owner_all | fs::perms::group_read | fs::perms::group_exec |
                                         fs::perms::others_read | fs::perms::others_exec);
    std::vector<std::string> files = programs;
    files.push_back(SIMULATOR_PATH);
    for (const std::string& file : files) {
        const std::string copy = Program(file);
        fs::copy_file(file, copy, fs::copy_options::overwrite_existing);
        if (RunInChild({true, -1}, [&] { return ::access(copy.c_str(), X_OK) == 0 ? 0 : 1; }) != 0) {
            why = "an ordinary user cannot run " + copy + ": a folder on its way is closed to others (TMPDIR?)";
            return {};
        }
    }
    for (const TempDir* folder : {&home, &runtime, &work}) {
        for (const auto& entry : std::filesystem::recursive_directory_iterator(folder->Path()))
            ::chown(entry.path().c_str(), kNobody, kNobody);
        ::chown(folder->Path().c_str(), kNobody, kNobody);
    }
    commandPrefix = {"/usr/bin/setpriv", "--reuid=65534", "--regid=65534", "--clear-groups", "--"};
    return commandPrefix;
}

std::string SimulatedTerminals::Program(const std::string& program) const {
    if (!copies_) return program;
    return *copies_ / std::filesystem::path(program).filename().string();
}

std::string SimulatedTerminals::RandomData(std::size_t size, unsigned seed) {
    std::mt19937 random(seed);
    std::string data(size, '\0');
    for (char& byte : data) byte = static_cast<char>(random());
    return data;
}

}  // namespace bayhaul::testing
