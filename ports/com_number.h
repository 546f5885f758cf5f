// The range of COM numbers, shared by the port table, the enumerator and the
// terminal library on every platform.
#pragma once

namespace bayhaul {

constexpr int kMaxComNumber = 256;  // numbers run from 1 (COM1) to this

}  // namespace bayhaul
