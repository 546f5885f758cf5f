// Where a terminal session gets the library's functions from: the loaded
// library in the program, an in-process fake in tests.
#pragma once

#include <string>

#include "link/tether_functions.h"

namespace bayhaul {

// Why the terminal link library could not be used.
struct LoadError {
    std::string path;    // full path of the library file that was tried
    std::string reason;  // the system's own text, or the functions it lacks

    // One line for the user: "Cannot load <path>: <reason>".
    std::string Message() const { return "Cannot load " + path + ": " + reason; }
};

class TetherSource {
public:
    virtual ~TetherSource() = default;

    // The ten functions, loading the library if that has not happened yet.
    // Returns nullptr and fills `error` when the library cannot be used.
    virtual const TetherFunctions* Functions(LoadError& error) = 0;
};

}  // namespace bayhaul
