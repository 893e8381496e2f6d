// A file's or a buffer's bytes.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

namespace core {

using Bytes = std::vector<std::uint8_t>;
using ByteView = std::span<const std::uint8_t>;

} // namespace core
