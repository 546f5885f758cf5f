#include "cli/command_line_platform.h"

#include "qt/qt_locale_text.h"

#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <csignal>

namespace bayhaul {

namespace {

// The signal may land on any of the press's threads while the main thread
// polls, so the flag is a lock-free atomic rather than a volatile.
std::atomic<bool> interrupted{false};
static_assert(std::atomic<bool>::is_always_lock_free, "safe to set in a signal handler");

void Interrupt(int signal) {
    interrupted.store(true);
    std::signal(signal, SIG_DFL);  // a second interrupt ends the program at once
}

}  // namespace

std::unique_ptr<LocaleText> MakeSystemLocaleText() {
    return std::make_unique<QtLocaleText>();
}

void CatchInterrupts() {
    // Ctrl+C, a request to end, and the terminal going away all stop the
    // press safely. A reader that stops reading (bayhaul --download | head)
    // only loses the output: the press goes on.
    std::signal(SIGINT, Interrupt);
    std::signal(SIGTERM, Interrupt);
    std::signal(SIGHUP, Interrupt);
    std::signal(SIGPIPE, SIG_IGN);
}

bool InterruptRequested() {
    return interrupted.load();
}

const char kProgramName[] = "bayhaul";
const char kSafeStops[] = "Ctrl+C, SIGTERM and SIGHUP";

bool ErrorsGoWhereOutputGoes() {
    struct stat output = {};
    struct stat errors = {};
    return fstat(STDOUT_FILENO, &output) == 0 && fstat(STDERR_FILENO, &errors) == 0 &&
           output.st_dev == errors.st_dev && output.st_ino == errors.st_ino;
}

void RunEnded() {
    // Nothing waits: a signal does not hold the system's shutdown back.
}

}  // namespace bayhaul
