// Speed of key generation, key loading and the character cipher.
#include "engine/AppState.h"
#include "engine/Cipher.h"

#include <benchmark/benchmark.h>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

namespace {

/// The default key length: the positions a text at the default key walks through.
constexpr int kPositions = 366;

/// A program folder in the temporary directory with a key of 10000 positions.
class KeyFolder final {
public:
    KeyFolder() {
        std::string pattern = (std::filesystem::temp_directory_path() / "velt-bench-XXXXXX").string();
        m_path = ::mkdtemp(pattern.data());
        state = std::make_unique<velt::AppState>(m_path);
        state->keyLength = 10000;
        state->GenerateKey();
        state->LoadKey();
    }
    ~KeyFolder() {
        state.reset();
        std::error_code ignored;
        std::filesystem::remove_all(m_path, ignored);
    }
    KeyFolder(const KeyFolder&) = delete;
    KeyFolder& operator=(const KeyFolder&) = delete;

    std::unique_ptr<velt::AppState> state;

private:
    std::filesystem::path m_path;
};

void GenerateKey10000(benchmark::State& run) {
    KeyFolder folder;
    for (auto _ : run) {
        folder.state->GenerateKey();
    }
}
BENCHMARK(GenerateKey10000)->Unit(benchmark::kMillisecond);

void LoadKey10000(benchmark::State& run) {
    KeyFolder folder;
    for (auto _ : run) {
        folder.state->LoadKey();
    }
}
BENCHMARK(LoadKey10000)->Unit(benchmark::kMillisecond);

void EncodeChar(benchmark::State& run) {
    KeyFolder folder;
    velt::AppState& state = *folder.state;
    std::uint8_t code = 0;
    int position = 1;
    for (auto _ : run) {
        benchmark::DoNotOptimize(state.cipher.EncodeChar(state.key, state.Random(), position, code++));
        position = position == kPositions ? 1 : position + 1;
    }
    run.SetItemsProcessed(run.iterations());
}
BENCHMARK(EncodeChar);

/// The encoder's loop as the coders run it: a run of codes at consecutive positions.
void EncodeRun(benchmark::State& run) {
    KeyFolder folder;
    velt::AppState& state = *folder.state;
    constexpr std::size_t kRun = 64 * 1024;
    std::vector<std::uint16_t> positions(kRun);
    std::vector<std::uint8_t> codes(kRun), out(2 * kRun);
    for (std::size_t k = 0; k < kRun; ++k) {
        positions[k] = static_cast<std::uint16_t>(k % kPositions + 1);
        codes[k] = static_cast<std::uint8_t>(k * 7);
    }
    for (auto _ : run) {
        state.cipher.EncodeRun(state.key, state.Random(), positions, codes.data(), out.data());
        benchmark::DoNotOptimize(out.data());
    }
    run.SetBytesProcessed(static_cast<std::int64_t>(run.iterations() * kRun));
}
BENCHMARK(EncodeRun);

void DecodePair(benchmark::State& run) {
    KeyFolder folder;
    velt::AppState& state = *folder.state;
    std::uint8_t first = 0;
    std::uint8_t second = 77;
    int position = 1;
    for (auto _ : run) {
        benchmark::DoNotOptimize(velt::Cipher::DecodePair(state.key, position, first++, second));
        second = static_cast<std::uint8_t>(second + 3);
        position = position == kPositions ? 1 : position + 1;
    }
    run.SetItemsProcessed(run.iterations());
}
BENCHMARK(DecodePair);

/// The restorer's loop: a piece of pairs at consecutive positions, as one core decodes it.
void DecodeWalk(benchmark::State& run) {
    KeyFolder folder;
    velt::AppState& state = *folder.state;
    constexpr std::size_t kPairs = 512 * 1024;
    std::vector<std::uint8_t> pairs(2 * kPairs), out(kPairs);
    for (std::size_t k = 0; k < pairs.size(); ++k) {
        pairs[k] = static_cast<std::uint8_t>(k * 131 + (k >> 9));
    }
    velt::PositionSchedule schedule;
    schedule.Start(kPositions, nullptr);
    for (auto _ : run) {
        velt::PositionWalk walk = schedule.Walk();
        velt::Cipher::DecodeWalk(state.key, walk, pairs.data(), kPairs, out.data());
        benchmark::DoNotOptimize(out.data());
    }
    run.SetBytesProcessed(static_cast<std::int64_t>(run.iterations() * kPairs));
}
BENCHMARK(DecodeWalk);

} // namespace

BENCHMARK_MAIN();
