#include "CodingInputs.h"

#include "CodePage.h"
#include "Errors.h"
#include "FileStreams.h"
#include "KeyMaterial.h"
#include "KeyStore.h"

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
    std::error_code error;
    const auto status = std::filesystem::status(keyFile, error);
    if (error || !std::filesystem::exists(status)) {
        return kMinKeyLength; // loading reports the missing or unreadable file
    }
    if (!std::filesystem::is_regular_file(status)) {
        // The key length is the file's size; a pipe has none to measure.
        throw VeltError(ErrorKind::NotRegularFile, "key file not a regular file", 0, 0, keyFile.string());
    }
    const auto size = std::filesystem::file_size(keyFile, error);
    if (error) {
        return kMinKeyLength;
    }
    // The windows' rule, so both sides code with the same key length.
    const long long length = KeyLengthOfSize(size);
    if (length > kKeyCapacity) {
        throw VeltError(ErrorKind::KeyTooLong, "key file too long", kKeyCapacity + 1, 0, keyFile.string());
    }
    if (length < kMinKeyLength) {
        throw VeltError(ErrorKind::KeyOutOfRange, "key file too short", static_cast<int>(length), 0,
                        keyFile.string());
    }
    return static_cast<std::int16_t>(length);
}

} // namespace velt::cli
