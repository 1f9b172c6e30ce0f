#include "engine/Utf8.h"

namespace velt::utf8 {

char32_t Next(std::string_view text, std::size_t& at) {
    const auto lead = static_cast<unsigned char>(text[at++]);
    if (lead < 0x80) {
        return lead;
    }
    const std::size_t length = SequenceLength(static_cast<char>(lead));
    if (length == 1) {
        return kReplacement;
    }
    constexpr char32_t kLeadBits[] = {0, 0, 0x1F, 0x0F, 0x07};
    constexpr char32_t kSmallest[] = {0, 0, 0x80, 0x800, 0x10000};
    char32_t value = lead & kLeadBits[length];
    for (std::size_t i = 1; i < length; ++i) {
        if (at >= text.size() || !IsContinuation(text[at])) {
            return kReplacement;
        }
        value = (value << 6) | (static_cast<unsigned char>(text[at++]) & 0x3F);
    }
    if (value < kSmallest[length] || value > 0x10FFFF || (value >= 0xD800 && value <= 0xDFFF)) {
        return kReplacement;
    }
    return value;
}

void Append(std::string& out, char32_t c) {
    if (c < 0x80) {
        out += static_cast<char>(c);
    } else if (c < 0x800) {
        out += static_cast<char>(0xC0 | (c >> 6));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        out += static_cast<char>(0xE0 | (c >> 12));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (c >> 18));
        out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    }
}

std::size_t CharacterStart(std::string_view text, std::size_t at) {
    while (at > 0 && at < text.size() && IsContinuation(text[at])) {
        --at;
    }
    return at;
}

} // namespace velt::utf8
