#pragma once

#include <cstdio>
#include <cstdlib>

namespace tonarion::fuzz {

// A broken property is a finding like a crash: libFuzzer keeps the input that broke it.
inline void require(bool holds, const char* property) {
    if (!holds) {
        std::fprintf(stderr, "property broken: %s\n", property);
        std::abort();
    }
}

} // namespace tonarion::fuzz
