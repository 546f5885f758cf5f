// Runs the real bayhaul-ports program with the virtual-port folder moved to
// a temporary runtime directory holding a link to a pseudo-terminal.
#include <gtest/gtest.h>

#include <stdlib.h>
#include <sys/wait.h>

#include <cstdio>
#include <filesystem>
#include <string>

#include "ports/pseudo_terminal.h"
#include "support/scoped_env.h"
#include "support/temp_dir.h"

namespace {

namespace fs = std::filesystem;

struct ToolRun {
    int exitCode;
    std::string output;
};

ToolRun RunTool(const std::string& arguments) {
    const std::string command = std::string("'") + BAYHAUL_PORTS_TOOL + "' " + arguments + " 2>/dev/null";
    FILE* pipe = popen(command.c_str(), "r");
    if (!pipe) return {-1, ""};
    ToolRun run{0, ""};
    char chunk[256];
    for (size_t n; (n = fread(chunk, 1, sizeof chunk, pipe)) > 0;) run.output.append(chunk, n);
    const int status = pclose(pipe);
    run.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return run;
}

TEST(BayhaulPortsTool, ListsALinkMadeByHandToAPseudoTerminal) {
    const TempDir runtime;
    const bayhaul::testing::PseudoTerminal pty;
    const std::string folder = runtime / "bayhaul/ports";
    fs::create_directories(folder);
    fs::create_symlink(pty.slave(), folder + "/COM42");

    const ScopedEnv env("XDG_RUNTIME_DIR", runtime.Path());
    const ToolRun listed = RunTool("");
    const ToolRun misused = RunTool("--bogus");

    EXPECT_EQ(listed.exitCode, 0);
    EXPECT_NE(listed.output.find("COM42\tCommunications Port (COM42)\t" + folder + "/COM42\n"), std::string::npos)
        << listed.output;
    EXPECT_EQ(misused.exitCode, 2);
    EXPECT_EQ(misused.output, "");
}

}  // namespace
