// The code page: every code goes to UTF-8 and back; UTF-8 comes in whole or is refused.
#include "engine/CodePage.h"
#include "engine/Errors.h"

#include <cstdlib>
#include <string>

using namespace velt;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    if (codepage::FromUtf8(codepage::ToUtf8(input)) != input) {
        std::abort();
    }
    std::string codes;
    try {
        codes = codepage::FromUtf8(input);
    } catch (const VeltError& error) {
        if (error.kind != ErrorKind::UncodableCharacter || error.codePoint == 0) {
            std::abort();
        }
        return 0;
    }
    // Accepted text is exactly the text the codes stand for.
    if (codes.size() > size || codepage::ToUtf8(codes) != input) {
        std::abort();
    }
    return 0;
}
