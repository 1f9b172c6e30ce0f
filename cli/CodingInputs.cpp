#include "CodingInputs.h"

#include "CodePage.h"
#include "Errors.h"
#include "KeyMaterial.h"

#include <algorithm>
#include <fstream>
#include <iterator>

namespace velt::cli {

// A byte order mark, as some editors write, is no character of the text.
std::string FromUtf8Text(std::string_view utf8) {
    constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";
    if (utf8.starts_with(kByteOrderMark)) {
        utf8.remove_prefix(kByteOrderMark.size());
    }
    return codepage::FromUtf8(utf8);
}

std::string ReadReference(const std::filesystem::path& file) {
    const VeltError unreadable(ErrorKind::FileReadFailed, "cannot read the reference file", 0, 0,
                               file.string());
    std::error_code error;
    if (std::filesystem::is_directory(file, error)) {
        throw unreadable;
    }
    std::string content;
    try {
        std::ifstream in(file, std::ios::binary);
        if (!in) {
            throw unreadable;
        }
        content.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
        if (in.bad()) {
            throw unreadable;
        }
    } catch (const std::ios_base::failure&) {
        throw unreadable;
    }
    // An editor's final line end is not part of the secret.
    if (!content.empty() && content.back() == '\n') {
        content.pop_back();
        if (!content.empty() && content.back() == '\r') {
            content.pop_back();
        }
    }
    return FromUtf8Text(content);
}

std::int16_t KeyLengthOf(const std::filesystem::path& keyFile) {
    std::error_code error;
    const auto size = std::filesystem::file_size(keyFile, error);
    if (error) {
        return 1; // loading reports the missing or unreadable file
    }
    const auto records = (size + kRecordSize - 1) / kRecordSize;
    return static_cast<std::int16_t>(std::clamp<std::uintmax_t>(records, 1, kKeyCapacity + 1));
}

} // namespace velt::cli
