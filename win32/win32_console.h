// Windows: Bayhaul.exe is a windowed program, so its --download mode finds
// its console itself.
#pragma once

namespace bayhaul {

// Output that was redirected (to a file or a pipe) stays where it goes.
// Otherwise the output goes to the console of the program that started
// Bayhaul, or, with `makeOne`, to a console of its own when there is none.
// Joining the parent's console also brings its Ctrl+C to this program.
// False when the output goes nowhere.
bool UseConsoleForOutput(bool makeOne);

}  // namespace bayhaul
