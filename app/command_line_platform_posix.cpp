#include "app/command_line_platform.h"

#include "app/qt_locale_text.h"

#include <csignal>

namespace bayhaul {

namespace {

volatile std::sig_atomic_t interrupted = 0;

void Interrupt(int signal) {
    interrupted = 1;
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
    return interrupted != 0;
}

}  // namespace bayhaul
