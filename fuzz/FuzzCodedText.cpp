// The coded text file: what the editor saves, the file window reads back exactly; and any file's
// text is read by the rules of its name and its first two bytes, never beyond its end.
#include "conversion/CodedTextFile.h"
#include "conversion/FileCoder.h"
#include "engine/AppState.h"
#include "engine/SystemServices.h"
#include "fuzz/FuzzSupport.h"

#include <fstream>
#include <string>

using namespace velt;

namespace {

constexpr std::size_t kCover = kCoverHead + kCoverTail;

/// What the reader must find in `stored` under `title`, worked out from the format's rules.
std::optional<std::string> Expected(std::string_view title, std::string_view stored) {
    if (title.size() <= 9 || title.substr(0, 9) != "SelTextC_" || stored.starts_with("\x99\x99")) {
        return std::nullopt;
    }
    if (stored.size() < kCover) {
        return std::string(stored);
    }
    return std::string(stored.substr(kCoverHead, stored.size() - kCover));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static fuzz::KeyFolder folder(100);
    static NullProgress progress;
    static DefaultAnswerMessages messages;
    static AppState state(folder.folder, Services{.progress = &progress, .messages = &messages});
    if (size == 0) {
        return 0;
    }
    static constexpr std::string_view kTitles[] = {"SelTextC_093005.JPG", "SelTextC_", "seltextc_093005.JPG",
                                                   "SelTextC_x", "XSelTextC_1.JPG", "SelTextC_\xE9.JPG"};
    const std::string_view title = kTitles[data[0] % std::size(kTitles)];
    const std::string text(reinterpret_cast<const char*>(data + 1), size - 1);
    const auto file = folder.folder / "coded";
    state.sourcePath = file;

    // Saved by the editor, read back by the file window: the very text again.
    const std::string saved = ComposeCodedTextFile(text);
    VELT_FUZZ_CHECK(saved.size() == kCover + text.size() + 2 && saved.ends_with("\r\n"));
    std::ofstream(file, std::ios::binary | std::ios::trunc) << saved;
    FileCoder(state).LoadFileText();
    VELT_FUZZ_CHECK(state.codedText == saved.substr(0, saved.size() - 2));
    VELT_FUZZ_CHECK(CodedTextOf(title, state.codedText) == Expected(title, state.codedText));
    if (Expected(title, state.codedText)) {
        VELT_FUZZ_CHECK(*CodedTextOf(title, state.codedText) == text);
    }

    // Any file: one trailing CR LF dropped, then the rules of the name and the first bytes.
    std::ofstream(file, std::ios::binary | std::ios::trunc) << text;
    FileCoder(state).LoadFileText();
    VELT_FUZZ_CHECK(state.codedText == (text.ends_with("\r\n") ? text.substr(0, text.size() - 2) : text));
    VELT_FUZZ_CHECK(CodedTextOf(title, state.codedText) == Expected(title, state.codedText));
    return 0;
}
