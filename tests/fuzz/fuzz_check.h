// What a fuzz target asserts: a broken property prints what broke and
// aborts, which libFuzzer records as a crash and the replay turns into a
// failed test.
#pragma once

#include <cstdio>
#include <cstdlib>

namespace bayhaul::fuzz {

inline void Require(bool holds, const char* property) {
    if (holds) return;
    std::fprintf(stderr, "fuzz property broken: %s\n", property);
    std::abort();
}

}  // namespace bayhaul::fuzz
