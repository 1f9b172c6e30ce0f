# Writes OUTPUT, a C++ source that defines velt::CoverImage() over the bytes of INPUT.
file(READ ${INPUT} hex HEX)
string(LENGTH "${hex}" digits)
math(EXPR size "${digits} / 2")
string(REGEX REPLACE "([0-9a-f][0-9a-f])" "0x\\1," bytes "${hex}")
string(REGEX REPLACE "((0x[0-9a-f][0-9a-f],){20})" "\\1\n" bytes "${bytes}")
file(WRITE ${OUTPUT}.tmp "// Generated from cover/cover.jpg; do not edit.
#include \"resources/CoverImage.h\"

namespace velt {
namespace {
constexpr std::uint8_t kCover[] = {
${bytes}
};
static_assert(sizeof kCover == kCoverImageSize, \"the cover image must be exactly 120,904 bytes\");
} // namespace

std::span<const std::uint8_t> CoverImage() { return kCover; }

} // namespace velt
")
file(RENAME ${OUTPUT}.tmp ${OUTPUT})
