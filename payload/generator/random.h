// Deterministic pseudo-random numbers for the payload generators: the same seed gives the same
// sequence on every machine, so the payload has the same bytes on every build.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

class Random {
public:
    explicit Random(std::uint64_t seed) : state_(seed) {}

    std::uint64_t Next() {
        std::uint64_t z = (state_ += 0x9E3779B97F4A7C15ull);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
        return z ^ (z >> 31);
    }

    // Uniform in [0, bound); bound must be above 0.
    std::uint32_t Below(std::uint32_t bound) { return static_cast<std::uint32_t>(Next() % bound); }

    // Uniform in [low, high].
    int Between(int low, int high) { return low + static_cast<int>(Below(static_cast<std::uint32_t>(high - low + 1))); }

    // An index in [0, size) where small indices are much more likely than large ones (roughly
    // Zipf's law, as word frequencies are).
    std::size_t Skewed(std::size_t size) {
        // The smaller of three uniform draws: density falls off towards the end of the range.
        std::uint64_t a = Next() % size, b = Next() % size, c = Next() % size;
        std::uint64_t m = a < b ? a : b;
        return static_cast<std::size_t>(m < c ? m : c);
    }

    template <typename T>
    const T& Pick(const std::vector<T>& items) { return items[Below(static_cast<std::uint32_t>(items.size()))]; }

    template <typename T>
    const T& PickSkewed(const std::vector<T>& items) { return items[Skewed(items.size())]; }

private:
    std::uint64_t state_;
};
