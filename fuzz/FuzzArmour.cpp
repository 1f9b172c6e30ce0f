// The armour: what is packed unpacks to itself, and a text fed in pieces unpacks as it does whole.
#include "Armour.h"
#include "Errors.h"
#include "SystemServices.h"

#include <cstdlib>
#include <optional>
#include <string>

using namespace velt;

namespace {

/// Unpack() as a value: the pair text, "none", or "odd".
std::string Verdict(const std::function<std::optional<std::string>()>& unpack) {
    try {
        const auto pairText = unpack();
        return pairText ? "=" + *pairText : "none";
    } catch (const VeltError& error) {
        if (error.kind != ErrorKind::OddCodedText) {
            std::abort();
        }
        return "odd";
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static NullProgress progress;
    const std::string_view input(reinterpret_cast<const char*>(data), size);

    // Any codes: marker, two upper-case digits each, marker; and back.
    const std::string packed = armour::Pack(input, progress);
    if (packed.size() != 4 + 2 * size || !packed.starts_with("\"\"") || !packed.ends_with("\"\"")) {
        std::abort();
    }
    if (armour::Unpack(packed) != std::optional<std::string>(input)) {
        std::abort();
    }
    // A mail program's line breaks and indents inside the body change nothing.
    std::string wrapped = "\"\"";
    for (std::size_t at = 2; at + 2 < packed.size(); ++at) {
        wrapped += packed[at];
        if (at % 37 == 0) {
            wrapped += (at / 37) % 2 == 0 ? "\r\n " : "\n";
        }
    }
    wrapped += "\"\"";
    if (armour::Unpack(wrapped) != std::optional<std::string>(input)) {
        std::abort();
    }

    // Any text: whole, or fed in three pieces cut anywhere, the same verdict.
    const std::string whole = Verdict([&] { return armour::Unpack(input); });
    if (whole.starts_with("=") && whole.size() > 1 + size / 2) {
        std::abort(); // never more codes than digit pairs
    }
    const std::size_t first = size == 0 ? 0 : data[0] % (size + 1);
    const std::size_t second = first + (size == 0 ? 0 : data[size - 1] % (size - first + 1));
    const std::string pieces = Verdict([&] {
        armour::Unpacker unpacker;
        unpacker.Feed(input.substr(0, first));
        unpacker.Feed(input.substr(first, second - first));
        unpacker.Feed(input.substr(second));
        return unpacker.Finish();
    });
    if (pieces != whole) {
        std::abort();
    }
    return 0;
}
