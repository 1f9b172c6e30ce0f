// The armour: what is packed unpacks to itself however a mail folds and quotes it, a text fed in
// pieces unpacks as it does whole, and every verdict is the one the rules read plainly give.
#include "engine/Armour.h"
#include "engine/Errors.h"
#include "engine/SystemServices.h"

#include <cctype>
#include <cstdlib>
#include <iterator>
#include <optional>
#include <string>

using namespace velt;

namespace {

/// Unpack() as a value: the pair text, "none", or the damage.
std::string Verdict(const std::function<std::optional<std::string>()>& unpack) {
    try {
        const auto pairText = unpack();
        return pairText ? "=" + *pairText : "none";
    } catch (const VeltError& error) {
        switch (error.kind) {
        case ErrorKind::OddCodedText:
            return "odd";
        case ErrorKind::StrayInCodedText:
            return "stray";
        case ErrorKind::UnclosedCodedText:
            return "unclosed";
        default:
            std::abort();
        }
    }
}

/// The rules read plainly over the whole text, to hold the streaming reader against.
std::string Model(std::string_view t) {
    const auto isHex = [](char c) { return std::isxdigit(static_cast<unsigned char>(c)) != 0; };
    // The quotation mark that closes a marker begun at `quote`; the text's end when the text
    // ends inside the gap, npos when another character breaks it.
    const auto closer = [&](std::size_t quote) {
        bool lineStart = false;
        for (std::size_t j = quote + 1; j < t.size(); ++j) {
            const char c = t[j];
            if (c == '"') {
                return j;
            }
            lineStart = lineStart || c == '\r' || c == '\n';
            if (!(c == ' ' || c == '\t' || c == '\r' || c == '\n' || (c == '>' && lineStart))) {
                return std::string_view::npos;
            }
        }
        return t.size();
    };
    // A marker with no digit after it (before any other character) is quoted words, not a marker:
    // the search goes on from that character.
    for (std::size_t from = 0;;) {
        std::size_t opened = std::string_view::npos;
        for (std::size_t q = t.find('"', from); q != std::string_view::npos; q = t.find('"', q + 1)) {
            if (const std::size_t end = closer(q); end < t.size()) {
                opened = end;
                break;
            }
        }
        if (opened == std::string_view::npos) {
            return "none";
        }
        std::string digits;
        bool lineStart = false;
        std::size_t at = opened + 1;
        for (; at < t.size(); ++at) {
            const char c = t[at];
            if (isHex(c)) {
                digits += c;
                lineStart = false;
            } else if (c == '\r' || c == '\n') {
                lineStart = true;
            } else if (c == ' ' || c == '\t' || (c == '>' && lineStart)) {
            } else if (c == '"') {
                const std::size_t end = closer(at);
                if (end < t.size()) {
                    if (digits.size() % 2 != 0) {
                        return "odd";
                    }
                    std::string pairs;
                    for (std::size_t i = 0; i < digits.size(); i += 2) {
                        pairs += static_cast<char>(std::stoi(digits.substr(i, 2), nullptr, 16));
                    }
                    return "=" + pairs;
                }
                if (end == t.size()) {
                    return "unclosed";
                }
                if (!digits.empty()) {
                    return "stray";
                }
                // Before the first digit, it completes the opening marker with the one before.
            } else if (digits.empty()) {
                break;
            } else {
                return "stray";
            }
        }
        if (at >= t.size()) {
            return "unclosed";
        }
        from = at;
    }
}

/// `armoured` as a mail program may pass it on: folded at the cuts that `data` picks, with
/// LF or CR LF, each new line quoted once or twice by a reply, some indented.
std::string Folded(const std::string& armoured, const std::uint8_t* data, std::size_t size) {
    static const char* const kBreaks[] = {"\n", "\r\n", "\n> ", "\r\n>> ", "\n>", "\r\n ", " \r\n> > "};
    std::string folded;
    std::size_t next = 0;
    for (std::size_t at = 0; at < armoured.size(); ++at) {
        if (size > 0 && at == next) {
            const std::uint8_t pick = data[at % size];
            folded += kBreaks[pick % std::size(kBreaks)];
            next = at + 1 + pick % 23;
        }
        folded += armoured[at];
    }
    return folded;
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
    // Folding and quoting anywhere, inside the markers too, change nothing; neither do the
    // words around it, a quoted word right before it included.
    const std::string mail = "Re: \"hi\" " + Folded(packed, data, size) + "\r\n-- \r\n\"x\" \"\"00\"\"";
    if (armour::Unpack(mail) != std::optional<std::string>(input)) {
        std::abort();
    }
    // The same mail cut before its closing marker is damaged, never decoded.
    const std::string cut = "Re: " + Folded(packed.substr(0, packed.size() - 2), data, size) + "\r\n-- Bob";
    if (Verdict([&] { return armour::Unpack(cut); }).starts_with("=")) {
        std::abort();
    }

    // Any text: whole, fed in three pieces cut anywhere, and as the plain reading, the same verdict.
    const std::string whole = Verdict([&] { return armour::Unpack(input); });
    if (whole != Model(input)) {
        std::abort();
    }
    if (armour::HasMarker(input) != (whole != "none")) {
        std::abort(); // CHECK's choice of direction and the reading agree
    }
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
