#include "cli/command_arguments.h"

#include <cstdlib>

namespace bayhaul {

namespace {

using Action = CommandRequest::Action;

// A whole number from 0 to 10000, or nothing.
std::optional<int> Count(const std::string& text) {
    char* end = nullptr;
    const long value = std::strtol(text.c_str(), &end, 10);
    if (text.empty() || *end != '\0' || value < 0 || value > 10000) return std::nullopt;
    return static_cast<int>(value);
}

std::optional<Action> ActionOf(const std::string& argument) {
    if (argument == "--help" || argument == "-h" || argument == "/?") return Action::Help;
    if (argument == "--version") return Action::Version;
    if (argument == "--download") return Action::Download;
    if (argument == "--watch") return Action::Watch;
    if (argument == "--history") return Action::History;
    return std::nullopt;
}

bool LooksLikeAnOption(const std::string& argument) {
    return !argument.empty() && (argument[0] == '-' || argument[0] == '/');
}

}  // namespace

std::optional<CommandRequest> ParseCommandArguments(const std::vector<std::string>& arguments, std::string& error) {
    CommandRequest request;
    std::optional<std::string> action;  // the argument that named it
    std::optional<int> expect, presses;
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        const std::string& argument = arguments[i];
        const bool valueFollows = i + 1 < arguments.size() && !LooksLikeAnOption(arguments[i + 1]);
        if (argument == "--one-port-at-a-time") {
            request.oneAtATime = true;
        } else if (const std::optional<Action> named = ActionOf(argument)) {
            if (action) {
                error = *action + " and " + argument + " cannot go together";
                return std::nullopt;
            }
            action = argument;
            request.action = *named;
            if (*named == Action::History && valueFollows) {
                presses = Count(arguments[++i]);
                if (!presses || *presses == 0) {
                    error = "--history takes a number of presses from 1 to 10000, not " + arguments[i];
                    return std::nullopt;
                }
            }
        } else if (argument == "--expect") {
            if (!valueFollows || !(expect = Count(arguments[i + 1]))) {
                error = "--expect takes a number of files from 0 to 10000" +
                        (valueFollows ? ", not " + arguments[i + 1] : std::string());
                return std::nullopt;
            }
            ++i;
        } else {
            error = (LooksLikeAnOption(argument) ? "unknown option: " : "unexpected argument: ") + argument;
            return std::nullopt;
        }
    }
    if (!action) {
        error = "nothing to do: give --download, --watch or --history";
        return std::nullopt;
    }
    if (expect && request.action != Action::Download) {
        error = "--expect goes with --download only";
        return std::nullopt;
    }
    if (request.action == Action::Download) request.count = expect.value_or(0);
    if (request.action == Action::History) request.count = presses.value_or(10);
    return request;
}

}  // namespace bayhaul
