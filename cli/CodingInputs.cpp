#include "cli/CodingInputs.h"

#include "engine/CodePage.h"
#include "engine/Errors.h"
#include "engine/FileStreams.h"
#include "engine/KeyFile.h"
#include "engine/KeyMaterial.h"

#include <algorithm>

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
    std::string content = ReadWholeFile(file, kMaxReferenceFileSize);
    // An editor's final line end is not part of the secret.
    if (!content.empty() && content.back() == '\n') {
        content.pop_back();
        if (!content.empty() && content.back() == '\r') {
            content.pop_back();
        }
    }
    // The windows' reference box codes a line break as CR LF; a file may hold bare LFs.
    std::string lines;
    lines.reserve(content.size());
    for (std::size_t i = 0; i < content.size(); ++i) {
        if (content[i] == '\n' && (i == 0 || content[i - 1] != '\r')) {
            lines += '\r';
        }
        lines += content[i];
    }
    return FromUtf8Text(lines);
}

std::int16_t KeyLengthOf(const std::filesystem::path& keyFile) {
    // The whole file is checked as the windows check it, so both sides take the same key or none.
    return static_cast<std::int16_t>(ReadWholeKey(keyFile, keyFile.string()).records);
}

} // namespace velt::cli
