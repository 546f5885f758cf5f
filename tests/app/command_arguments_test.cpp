// The command line's arguments: what each asks for, and a wrong one named.
#include "cli/command_arguments.h"

#include <gtest/gtest.h>

namespace bayhaul {
namespace {

using Action = CommandRequest::Action;

std::optional<CommandRequest> Parse(const std::vector<std::string>& arguments, std::string& error) {
    error.clear();
    return ParseCommandArguments(arguments, error);
}

TEST(CommandArguments, EachRequestWithItsNumber) {
    std::string error;
    struct Case {
        std::vector<std::string> arguments;
        Action action;
        int count;
        bool oneAtATime;
    };
    const Case cases[] = {
        {{"--download"}, Action::Download, 0, false},
        {{"--download", "--expect", "3"}, Action::Download, 3, false},
        {{"--one-port-at-a-time", "--download"}, Action::Download, 0, true},
        {{"--download", "--one-port-at-a-time"}, Action::Download, 0, true},
        {{"--watch"}, Action::Watch, 0, false},
        {{"--history"}, Action::History, 10, false},
        {{"--history", "25"}, Action::History, 25, false},
        {{"--version"}, Action::Version, 0, false},
        {{"/?"}, Action::Help, 0, false},
        {{"-h"}, Action::Help, 0, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.arguments.front());
        const std::optional<CommandRequest> request = Parse(c.arguments, error);
        ASSERT_TRUE(request) << error;
        EXPECT_EQ(request->action, c.action);
        EXPECT_EQ(request->count, c.count);
        EXPECT_EQ(request->oneAtATime, c.oneAtATime);
    }
}

TEST(CommandArguments, AWrongArgumentIsNamedWithWhatIsWrong) {
    const std::pair<std::vector<std::string>, std::string> cases[] = {
        {{"--donwload"}, "unknown option: --donwload"},
        {{"-download"}, "unknown option: -download"},
        {{"--download", "now"}, "unexpected argument: now"},
        {{"--download", "--expect"}, "--expect takes a number of files from 0 to 10000"},
        {{"--download", "--expect", "many"}, "--expect takes a number of files from 0 to 10000, not many"},
        {{"--download", "--expect", "10001"}, "--expect takes a number of files from 0 to 10000, not 10001"},
        {{"--watch", "--expect", "2"}, "--expect goes with --download only"},
        {{"--history", "0"}, "--history takes a number of presses from 1 to 10000, not 0"},
        {{"--download", "--watch"}, "--download and --watch cannot go together"},
        {{"--one-port-at-a-time"}, "nothing to do: give --download, --watch or --history"},
    };
    for (const auto& [arguments, expected] : cases) {
        SCOPED_TRACE(expected);
        std::string error;
        EXPECT_FALSE(Parse(arguments, error));
        EXPECT_EQ(error, expected);
    }
}

}  // namespace
}  // namespace bayhaul
