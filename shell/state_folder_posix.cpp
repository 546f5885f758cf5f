#include "shell/state_folder.h"

#include <cstdlib>

namespace bayhaul {

std::string UserStateFolder() {
    // Only an absolute path counts, as the XDG rules say.
    const char* state = std::getenv("XDG_STATE_HOME");
    if (state && state[0] == '/') return std::string(state) + "/bayhaul";
    const char* home = std::getenv("HOME");
    if (home && home[0] == '/') return std::string(home) + "/.local/state/bayhaul";
    return "";
}

}  // namespace bayhaul
