// What the command line's arguments ask for, or, when they ask for nothing
// the program does, which argument is wrong and why.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace bayhaul {

struct CommandRequest {
    enum class Action { Help, Version, Download, Watch, History } action = Action::Help;
    int count = 0;  // --download: files a press must save (--expect); --history: presses to show
    bool oneAtATime = false;  // --one-port-at-a-time
};

// The arguments after the program's name. Nothing, with `error` naming the
// argument at fault ("unknown option: --donwload"), when they are wrong.
std::optional<CommandRequest> ParseCommandArguments(const std::vector<std::string>& arguments, std::string& error);

}  // namespace bayhaul
