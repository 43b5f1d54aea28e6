#pragma once
// A promise the code under test broke: say which, and stop so that libFuzzer keeps the input.
#include <cstdio>
#include <cstdlib>

inline void Require(bool holds, const char* what) {
    if (holds) return;
    std::fprintf(stderr, "%s\n", what);
    std::abort();
}
