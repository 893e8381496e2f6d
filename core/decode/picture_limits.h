// The limits that keep a hostile or broken picture file from taking the program down. Every
// decoder asks them before it allocates the picture.
#pragma once

#include "core/message.h"

#include <cstdint>
#include <optional>

namespace core {

// Enough for any real photo (a 250-megapixel sensor fits); a header claiming 60000 x 60000
// pixels is refused before anything is allocated. Counted with each row padded as the pixel
// store pads it, so that a picture 1 pixel wide and 200 million tall is refused too.
inline constexpr std::int64_t kMaxPicturePixels = std::int64_t(256) << 20;
inline constexpr int kDecoderAllocationLimitMiB = 1024;
inline constexpr std::int64_t kMaxPictureFileBytes = std::int64_t(1) << 30;

// Why a picture of this size is refused, or nothing when it is within the limits. Its rows
// count as the pixel store pads them.
std::optional<Message> sizeRefusal(std::int64_t width, std::int64_t height);

} // namespace core
