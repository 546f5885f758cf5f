// bayhaul-terminal: one simulated hand-held terminal on a pseudo-terminal,
// published as a virtual COM port, serving connection after connection
// until SIGINT or SIGTERM. SIGUSR1 and SIGUSR2 switch it on and off.
#include <signal.h>
#include <unistd.h>

#include <iostream>

#include "sim/sim_options.h"
#include "sim/simulated_terminal.h"
#include "sim/virtual_port.h"

namespace {

void Stop(int) {
    bayhaul::sim::VirtualPort::RemoveLinkOnSignal();
    _exit(0);
}

void SwitchOn(int) {
    bayhaul::sim::SwitchTerminal(true);
}

void SwitchOff(int) {
    bayhaul::sim::SwitchTerminal(false);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc == 2 && (std::string(argv[1]) == "--help" || std::string(argv[1]) == "-h")) {
        std::cout << bayhaul::sim::kSimUsage;
        return 0;
    }
    std::string error;
    const auto options = bayhaul::sim::ParseSimOptions(argc, argv, error);
    if (!options) {
        std::cerr << "bayhaul-terminal: " << error << "\n" << bayhaul::sim::kSimUsage;
        return 2;
    }
    auto port = bayhaul::sim::VirtualPort::Publish(options->com, error);
    if (!port) {
        std::cerr << "bayhaul-terminal: " << error << "\n";
        return 1;
    }
    struct sigaction stop {};
    stop.sa_handler = Stop;
    sigaction(SIGINT, &stop, nullptr);
    sigaction(SIGTERM, &stop, nullptr);
    sigaction(SIGHUP, &stop, nullptr);
    signal(SIGPIPE, SIG_IGN);
    struct sigaction on {}, off {};
    on.sa_handler = SwitchOn;
    off.sa_handler = SwitchOff;
    on.sa_flags = off.sa_flags = SA_RESTART;
    sigaction(SIGUSR1, &on, nullptr);
    sigaction(SIGUSR2, &off, nullptr);
    return bayhaul::sim::RunTerminal(*port, *options, std::cout);
}
