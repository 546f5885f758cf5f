// bayhaul-worker: one port's session, or a watch's probe, with a copy of the
// terminal library of its own. Only the press starts it, over pipes.
#include <iostream>
#include <string>
#include <vector>

#include "link/tether_library.h"
#include "press/port_worker.h"
#include "press/worker_stdio.h"

int main(int argc, char** argv) {
    const std::vector<std::string> arguments(argv + 1, argv + argc);
    const std::optional<bayhaul::WorkerOrder> order = bayhaul::ParseWorkerArguments(arguments);
    if (!order) {
        std::cerr << "bayhaul-worker runs one port for Bayhaul's press, which starts it: "
                     "--port N | --probe N [--library FILE]\n";
        return 2;
    }
    const std::unique_ptr<bayhaul::WorkerChannel> channel = bayhaul::TakeStandardChannel();
    bayhaul::TetherLibrary library = order->libraryFile.empty()
                                         ? bayhaul::TetherLibrary()
                                         : bayhaul::TetherLibrary::FromFile(order->libraryFile);
    return bayhaul::RunPortWorker(*channel, library, *order);
}
