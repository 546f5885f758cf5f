// A private user (home with Desktop and Documents, a working folder for
// settings.ini, a virtual-port folder) and simulated terminals on virtual
// ports, for end-to-end tests of a press.
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "sim/child_process.h"
#include "support/scoped_env.h"
#include "support/temp_dir.h"

namespace bayhaul::testing {

class SimulatedTerminals {
public:
    SimulatedTerminals();

    // Starts a simulated terminal on COM<com> whose FORM.DAT holds `data`
    // (no FORM.DAT when nullopt), with further simulator options. Returns
    // the terminal's storage folder.
    std::string Start(int com, const std::optional<std::string>& data, const std::vector<std::string>& options = {});

    // Sends `signal` to the terminal on COM<com>.
    void Signal(int com, int signal);

    // Random bytes, different for each seed.
    static std::string RandomData(std::size_t size, unsigned seed);

    std::string Desktop(const std::string& name) const { return home / ("Desktop/" + name); }
    std::string Settings() const { return work / "settings.ini"; }
    std::string StateFolder() const { return home / ".local/state/bayhaul"; }

    // Runs the terminals, and whatever else a test starts this way, as an
    // ordinary user: as root, as nobody, who is then given these folders,
    // and copies of the simulator and of `programs` (each file as it is) in
    // a folder of their own that every user may enter, since the build may
    // sit where nobody else can (root's home, a private temporary folder).
    // Returns the words to put before a program's own; `why` says why the
    // ordinary user cannot run the copies, when it cannot.
    std::vector<std::string> AsOrdinaryUser(const std::vector<std::string>& programs, std::string& why);
    // The path to run `program` by: its copy, when there is one.
    std::string Program(const std::string& program) const;

    TempDir home;
    TempDir runtime;                         // XDG_RUNTIME_DIR, holding the virtual-port folder
    TempDir work;                            // the current folder of the program under test
    std::vector<std::string> commandPrefix;  // put before each simulator's command

private:
    std::unique_ptr<TempDir> copies_;  // the programs the ordinary user runs
    ScopedEnv env_;
    std::vector<std::unique_ptr<TempDir>> storages_;
    std::vector<std::pair<int, std::unique_ptr<sim::ChildProcess>>> terminals_;
};

}  // namespace bayhaul::testing
