// File conversion speed: EncodeFile and RestoreFile on a file in a temporary folder,
// in plain and reference mode. Bytes per second count source (plain) bytes.
#include "bench/CountingProgress.h"
#include "conversion/FileCoder.h"
#include "engine/AppState.h"
#include "engine/FileStreams.h"
#include "engine/KeyMaterial.h"
#include "engine/SystemServices.h"

#include <algorithm>
#include <benchmark/benchmark.h>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <numeric>
#include <random>

namespace {

using namespace velt;

class AlwaysYes final : public IMessages {
public:
    MessageAnswer Show(const Message&) override { return MessageAnswer::Yes; }
};

/// A folder with a 366-position key and a source file of `size` random bytes.
class Workbench final {
public:
    Workbench(std::size_t size, std::string reference, IProgress* progress = nullptr)
        : m_reference(std::move(reference)) {
        std::string pattern = (std::filesystem::temp_directory_path() / "velt-bench-XXXXXX").string();
        m_folder = ::mkdtemp(pattern.data());
        std::mt19937 random(2024);
        std::string key;
        for (int p = 1; p <= kDefaultKeyLength; ++p) {
            std::array<std::uint8_t, 256> grid{};
            std::iota(grid.begin(), grid.end(), 0);
            std::shuffle(grid.begin(), grid.end(), random);
            key += std::string("\x00\x01", 2);
            key.append(grid.begin(), grid.end());
        }
        Write(m_folder / "KEY.ORB", key);
        std::string source(size, '\0');
        std::generate(source.begin(), source.end(), [&] { return static_cast<char>(random()); });
        Write(m_folder / "source", source);
        m_state =
            std::make_unique<AppState>(
            m_folder, Services{.progress = progress, .messages = &m_yes, .reference = &m_reference});
    }
    ~Workbench() { std::filesystem::remove_all(m_folder); }

    FileOutcome Encode() {
        m_state->sourcePath = m_folder / "source";
        return FileCoder(*m_state).EncodeFile();
    }
    FileOutcome Restore() {
        m_state->sourcePath = m_folder / "source.JPG";
        return FileCoder(*m_state).RestoreFile();
    }

private:
    static void Write(const std::filesystem::path& path, const std::string& bytes) {
        std::ofstream(path, std::ios::binary).write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    }

    std::filesystem::path m_folder;
    AlwaysYes m_yes;
    FixedReferenceText m_reference;
    std::unique_ptr<AppState> m_state;
};

void EncodeFile(benchmark::State& state, const char* reference, bool withProgress = false) {
    const auto size = static_cast<std::size_t>(state.range(0));
    CountingProgress progress;
    Workbench bench(size, reference, withProgress ? &progress : nullptr);
    for (auto _ : state) {
        if (bench.Encode() != FileOutcome::Converted) {
            state.SkipWithError("encoding failed");
        }
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * size));
}

void RestoreFile(benchmark::State& state, const char* reference) {
    const auto size = static_cast<std::size_t>(state.range(0));
    Workbench bench(size, reference);
    bench.Encode();
    for (auto _ : state) {
        if (bench.Restore() != FileOutcome::Converted) {
            state.SkipWithError("restoring failed");
        }
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * size));
}

BENCHMARK_CAPTURE(EncodeFile, plain, "")->Arg(8 << 20)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(EncodeFile, reference, "secret")->Arg(8 << 20)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(EncodeFile, plain_with_progress, "", true)->Arg(8 << 20)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(RestoreFile, plain, "")->Arg(64 << 20)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(RestoreFile, reference, "secret")->Arg(64 << 20)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
