#include "conversion/CodedTextFile.h"

#include "resources/CoverImage.h"

namespace velt {

static_assert(kCoverHead + kCoverTail == kCoverImageSize);

bool HasCodedTextFileName(std::string_view fileTitle) {
    return fileTitle.size() > kCodedTextFilePrefix.size() && fileTitle.starts_with(kCodedTextFilePrefix);
}

std::optional<std::string> CodedTextOf(std::string_view fileTitle, std::string_view storedText) {
    if (!HasCodedTextFileName(fileTitle) || storedText.starts_with("\x99\x99")) {
        return std::nullopt;
    }
    if (storedText.size() < kCoverImageSize) {
        return std::string(storedText);
    }
    return std::string(storedText.substr(kCoverHead, storedText.size() - kCoverImageSize));
}

std::string ComposeCodedTextFile(std::string_view codedText) {
    const auto cover = CoverImage();
    const auto* bytes = reinterpret_cast<const char*>(cover.data());
    std::string file;
    file.reserve(kCoverImageSize + codedText.size() + 2);
    file.append(bytes, kCoverHead);
    file.append(codedText);
    file.append(bytes + kCoverHead, kCoverTail);
    file.append("\r\n");
    return file;
}

} // namespace velt
