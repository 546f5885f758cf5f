// What the command line needs from the platform: the user's date and time
// texts, a way to hear Ctrl+C, and how the usage names the program and what
// stops it. One implementation per platform, chosen by the build: POSIX
// signals and Qt's locale, or the Windows console and the user locale's
// formats.
#pragma once

#include "settings/locale_text.h"

#include <memory>

namespace bayhaul {

// The user's locale, as the window would show it.
std::unique_ptr<LocaleText> MakeSystemLocaleText();

// From now on an interrupt (Ctrl+C, the request to end the program, or
// the loss of its terminal) only sets the flag below; a second one ends the
// program at once. Output that nobody reads any more does not end it. On
// Windows the end of the user's session (log-off, shutdown) and the close
// of the console interrupt too, and Windows is held back until RunEnded.
void CatchInterrupts();
bool InterruptRequested();
// The press or the watch has stopped: a session's end that waits for it
// may go on.
void RunEnded();

// The program as the user starts it from a shell: "bayhaul", "Bayhaul.exe".
extern const char kProgramName[];
// What stops a run safely, as the usage says it: "Ctrl+C, SIGTERM and SIGHUP".
extern const char kSafeStops[];

// True when standard error ends where standard output does (the same
// terminal, console or file): an error copied to both would show twice.
bool ErrorsGoWhereOutputGoes();

}  // namespace bayhaul
