#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

namespace velt {

/// The cover image's fixed size; writer and reader of a coded text file cut by it.
inline constexpr std::size_t kCoverImageSize = 120904;

/// The cover image (a 960 x 320 JPEG) that a saved coded text is hidden in.
std::span<const std::uint8_t> CoverImage();

} // namespace velt
