// Repeatable white noise in [-1, 1) for the render tests.
#pragma once
#include <cstddef>
#include <cstdint>
#include <random>
#include <vector>

inline std::vector<float> RandomSignal(size_t n, uint32_t seed) {
    std::mt19937 rng(seed);
    std::uniform_real_distribution<float> d(-1.0f, 1.0f);
    std::vector<float> v(n);
    for (float& f : v) f = d(rng);
    return v;
}
