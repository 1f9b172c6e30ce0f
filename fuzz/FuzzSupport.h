#pragma once
// What the fuzz targets share: a key in a folder of its own, and a reproducible random source.

#include "engine/KeyFile.h"
#include "engine/Platform.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <numeric>
#include <random>
#include <string>

namespace velt::fuzz {

/// A folder with a key of `length` positions (the same in every run) as KEY.ORB. It lies in
/// memory where it can (/dev/shm), so that flushing written files to disk costs nothing.
struct KeyFolder {
    explicit KeyFolder(int length) {
        char name[] = "/dev/shm/velt-fuzz-XXXXXX";
        char fallback[] = "/tmp/velt-fuzz-XXXXXX";
        const char* made = ::mkdtemp(name);
        folder = made != nullptr ? made : ::mkdtemp(fallback);
        std::ofstream(folder / "KEY.ORB", std::ios::binary) << Records(length, 20261206);
    }
    ~KeyFolder() { std::filesystem::remove_all(folder); }
    KeyFolder(const KeyFolder&) = delete;
    KeyFolder& operator=(const KeyFolder&) = delete;

    /// `count` sound key records, each a shuffle drawn from `seed`.
    static std::string Records(int count, std::uint32_t seed) {
        std::string bytes;
        std::mt19937 shuffle(seed);
        for (int p = 0; p < count; ++p) {
            std::string cells(256, '\0');
            std::iota(cells.begin(), cells.end(), '\0');
            std::shuffle(cells.begin(), cells.end(), shuffle);
            bytes += std::string("\x00\x01", 2) + cells;
        }
        return bytes;
    }

    std::filesystem::path folder;
};

/// A reproducible stand-in for the random source.
struct Draws final : IRandomSource {
    explicit Draws(std::uint32_t seed = 1) : state(seed) {}
    float Draw() override {
        state = state * 1664525u + 1013904223u;
        return static_cast<float>(state >> 8) / 16777216.0f;
    }
    std::uint32_t state;
};

/// Stops the run with a finding: a wrong result, not only a crash.
#define VELT_FUZZ_CHECK(condition)                                                                                      \
    do {                                                                                                               \
        if (!(condition)) {                                                                                            \
            std::abort();                                                                                              \
        }                                                                                                              \
    } while (false)

} // namespace velt::fuzz
