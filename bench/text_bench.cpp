// Text coding speed: EncodeText + packing, unpacking + DecodeText, of a 1 MiB text.
#include "bench/CountingProgress.h"
#include "engine/AppState.h"
#include "engine/Armour.h"

#include <algorithm>
#include <benchmark/benchmark.h>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <numeric>
#include <random>
#include <string>

namespace {

constexpr std::size_t kTextSize = 1 << 20;

/// A program folder with a 366-position key, removed when done.
class KeyedFolder final {
public:
    KeyedFolder() {
        std::string pattern = (std::filesystem::temp_directory_path() / "velt-bench-XXXXXX").string();
        m_path = ::mkdtemp(pattern.data());
        std::mt19937 engine(7);
        std::ofstream key(m_path / "KEY.ORB", std::ios::binary);
        std::string record(258, '\0');
        record[1] = '\x01';
        for (int p = 0; p < 366; ++p) {
            std::iota(record.begin() + 2, record.end(), '\0');
            std::shuffle(record.begin() + 2, record.end(), engine);
            key.write(record.data(), static_cast<std::streamsize>(record.size()));
        }
    }
    ~KeyedFolder() {
        std::error_code ignored;
        std::filesystem::remove_all(m_path, ignored);
    }
    KeyedFolder(const KeyedFolder&) = delete;
    KeyedFolder& operator=(const KeyedFolder&) = delete;
    const std::filesystem::path& Path() const { return m_path; }

private:
    std::filesystem::path m_path;
};

std::string SampleText() {
    std::string text(kTextSize, '\0');
    std::mt19937 engine(11);
    std::uniform_int_distribution<int> code(0, 255);
    std::generate(text.begin(), text.end(), [&] { return static_cast<char>(code(engine)); });
    return text;
}

class NoProgress final : public velt::IProgress {
public:
    void Begin(std::int64_t, std::string_view) override {}
    void Update(std::int64_t) override {}
    void End() override {}
};

/// The editor's path: EncodeText and packing of a 1 MiB text, with or without a progress sink.
template <class Progress> void BM_EncodeTextAndPack(benchmark::State& run) {
    KeyedFolder folder;
    Progress progress;
    velt::AppState state(folder.Path(), velt::Services{.progress = &progress});
    const std::string text = SampleText();
    for (auto _ : run) {
        state.plainText = text;
        state.textCoder.EncodeText();
        benchmark::DoNotOptimize(velt::armour::Pack(state.codedText, progress));
    }
    run.SetBytesProcessed(static_cast<std::int64_t>(run.iterations() * kTextSize));
}
BENCHMARK_TEMPLATE(BM_EncodeTextAndPack, NoProgress)->Unit(benchmark::kMillisecond);
BENCHMARK_TEMPLATE(BM_EncodeTextAndPack, CountingProgress)->Unit(benchmark::kMillisecond);

void BM_UnpackAndDecodeText(benchmark::State& run) {
    KeyedFolder folder;
    velt::AppState state(folder.Path());
    NoProgress progress;
    state.plainText = SampleText();
    state.textCoder.EncodeText();
    const std::string armoured = velt::armour::Pack(state.codedText, progress);
    for (auto _ : run) {
        state.codedText = *velt::armour::Unpack(armoured);
        state.textCoder.DecodeText();
        benchmark::DoNotOptimize(state.plainText.data());
    }
    run.SetBytesProcessed(static_cast<std::int64_t>(run.iterations() * kTextSize));
}
BENCHMARK(BM_UnpackAndDecodeText)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
