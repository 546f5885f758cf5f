#include "press/program_workers.h"

#include <cstdlib>
#include <string>

#include "link/shared_library.h"

namespace bayhaul {

std::shared_ptr<WorkerStarter> ProgramWorkers() {
    // A folder that cannot be told leaves a program that cannot start: each
    // press then says why.
    std::string reason;
    const std::filesystem::path folder = ExecutableFolder(reason);
    return ProcessWorkers((folder / kWorkerProgramFile).u8string());
}

bool OneAtATimeAsked() {
    const char* value = std::getenv(kOneAtATimeVariable);
    return value != nullptr && std::string(value) == "1";
}

}  // namespace bayhaul
