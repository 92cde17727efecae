#pragma once
// Sets tests start from: the defaults, and sets whose every byte is random, so that
// nothing passes a test by happening to be zero.

#include <random>

#include "config/config_set.h"

namespace valdro::testing {

inline ConfigSet DefaultSet() {
    ConfigSet set;
    set.SetDefaults();
    return set;
}

inline ConfigSet RandomSet(unsigned seed) {
    std::mt19937 rng(seed);
    ConfigSet set;
    for (auto& b : set.Units)
        b = static_cast<std::uint8_t>(rng());
    for (auto& b : set.InputMap)
        b = static_cast<std::uint8_t>(rng());
    return set;
}

}  // namespace valdro::testing
