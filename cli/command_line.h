// bayhaul --download: one press of the download button with no window, for
// collecting data on a schedule or where there is no desktop.
#pragma once

namespace bayhaul {

// True when the arguments ask for the command line rather than the window:
// any argument does, so a mistyped one gets the usage, with or without a
// display.
bool WantsCommandLine(int argc, const char* const* argv);

// Runs what the arguments ask for and returns the exit code:
//   0  every terminal that had a file was saved (or there was none)
//   1  a terminal had a file that was not saved, a port was another
//      program's, or the press was interrupted
//   2  the press could not run: no terminal library, the ports could not be
//      listed, no save folder, another press ran, or the arguments were wrong
//   3  fewer files were saved than --expect asked for
int RunCommandLine(int argc, const char* const* argv);

}  // namespace bayhaul
