#include "core/dithering.h"
#include "core/cpu_dispatch.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cstdint>
#include <cstring>
#include <vector>

namespace core {

namespace {

using Matrix = std::array<std::array<int, 8>, 8>;

// Bayer's threshold matrix, grown from [0] by doubling: each step lays four copies of the
// last one, times four, plus 0, 2, 3 and 1 in the order left top, right top, left bottom,
// right bottom.
constexpr Matrix kBayer = [] {
    Matrix m{};
    constexpr int kStep[2][2] = {{0, 2}, {3, 1}};
    for (int n = 1; n < 8; n *= 2) {
        Matrix grown{};
        for (int y = 0; y < 2 * n; ++y)
            for (int x = 0; x < 2 * n; ++x)
                grown[y][x] = 4 * m[y % n][x % n] + kStep[y / n][x / n];
        m = grown;
    }
    return m;
}();
static_assert(kBayer[0] == std::array{0, 32, 8, 40, 2, 34, 10, 42});
static_assert(kBayer[1] == std::array{48, 16, 56, 24, 50, 18, 58, 26});

// Kept apart so that the loop over a whole period compiles to a few saturating vector
// subtractions.
inline void subtractSaturated(std::uint8_t *bytes, const std::uint8_t *offsets,
                              std::size_t count) noexcept
{
    for (std::size_t k = 0; k < count; ++k) {
        const int difference = int(bytes[k]) - offsets[k];
        bytes[k] = std::uint8_t(difference < 0 ? 0 : difference);
    }
}

// c' = clamp(c + floor(M * 2^d / 64) - (2^d - 1), 0, 255), where red and blue drop d = 3 bits
// and green 2: centred, so that a flat area's mean preview colour is its own (the preview fills
// the dropped bits with ones). The threshold is at most 2^d - 1, so c' never passes c and the
// step is a saturating subtraction of (2^d - 1) - threshold.
void ditherOrdered(PixelStore &picture)
{
    const std::size_t bytesPerRow = 4 * std::size_t(picture.width());
    for (int y = 0; y < picture.height(); ++y) {
        // One period of the row's offsets as QRgb words, so that their bytes fall on the
        // channels whatever the byte order; alpha gets nothing.
        std::array<std::uint32_t, 8> words{};
        for (std::size_t x = 0; x < 8; ++x) {
            const auto m = std::uint32_t(kBayer[std::size_t(y % 8)][x]);
            words[x] = (7 - (m >> 3)) << 16 | (3 - (m >> 4)) << 8 | (7 - (m >> 3));
        }
        std::uint8_t offsets[32];
        std::memcpy(offsets, words.data(), sizeof offsets);

        auto *bytes = reinterpret_cast<std::uint8_t *>(picture.row(y));
        std::size_t i = 0;
        for (; i + sizeof offsets <= bytesPerRow; i += sizeof offsets)
            subtractSaturated(bytes + i, offsets, sizeof offsets);
        subtractSaturated(bytes + i, offsets, bytesPerRow - i);
    }
}

// Floyd-Steinberg's pass along a row is one long chain: each pixel waits for the error of the
// one on its left. The chain is kept to an add and a table look-up per channel; everything
// that does not depend on it runs before or after, over the whole row, in vector code.
//
// Working values are per byte of the row (four lanes a pixel, alpha's lane riding along with
// no error), in sixteenths: index = 16 c + E + kBias, so that index >> 4 is c + floor(E / 16)
// plus 8, and every index is positive.
constexpr int kBias = 16 * 8;
constexpr int kIndexes = 16 * 256 + 2 * kBias;
// An error is at most 7 either way, so E is at most 16 * 7 either way.
static_assert(kBias - 16 * 7 >= 0 && 16 * 255 + kBias + 16 * 7 < kIndexes);

// The first colour channel's byte in a QRgb word in memory, and the bits each of the three
// drops: red and blue 3, green 2, which reads the same in either byte order.
constexpr int kFirstColourByte = std::endian::native == std::endian::little ? 0 : 1;
constexpr int kDropped[3] = {3, 2, 3};

constexpr int valueAt(int index)
{
    return std::min(std::max((index >> 4) - 8, 0), 255);
}

// v less its preview value: 0 for level 0, else the level's bits followed by d ones.
constexpr int errorOf(int v, int mask)
{
    return v <= mask ? v : (v & mask) - mask;
}

// What the pixel on the right gets of the error at each index: 7 sixteenths of it.
template<int Dropped>
constexpr auto kCarried = [] {
    std::array<std::int16_t, kIndexes> table{};
    for (int i = 0; i < kIndexes; ++i)
        table[std::size_t(i)] = std::int16_t(7 * errorOf(valueAt(i), (1 << Dropped) - 1));
    return table;
}();

// The vector loops gain much from wider registers; the chain does not mind.
VARNELLO_ROW_CLONES void ditherFloydSteinberg(PixelStore &picture)
{
    const auto width = std::size_t(picture.width());
    const std::size_t lanes = 4 * width;
    // Each lane's mask of dropped bits; alpha's 0 gives it no error.
    std::vector<std::int16_t> masks(lanes, 0);
    for (std::size_t i = 0; i < lanes; i += 4)
        for (int k = 0; k < 3; ++k)
            masks[i + std::size_t(kFirstColourByte + k)] = std::int16_t((1 << kDropped[k]) - 1);
    // `error` has a pixel of zeros at each end, for the neighbours past the edges.
    std::vector<std::int16_t> index(lanes), error(lanes + 8, 0);
    const auto bytesOf = [&](int y) { return reinterpret_cast<std::uint8_t *>(picture.row(y)); };

    for (std::size_t i = 0; i < lanes; ++i)
        index[i] = std::int16_t(16 * bytesOf(0)[i] + kBias);
    for (int y = 0; y < picture.height(); ++y) {
        // The chain: each look-up's address is known before the carry it adds arrives, so
        // that the carry's wait is the load alone.
        std::ptrdiff_t carried[3] = {};
        std::int16_t *at = index.data() + kFirstColourByte;
        for (std::size_t x = 0; x < width; ++x, at += 4) {
            const std::int16_t *red = kCarried<kDropped[0]>.data() + at[0];
            const std::int16_t *green = kCarried<kDropped[1]>.data() + at[1];
            const std::int16_t *blue = kCarried<kDropped[2]>.data() + at[2];
            at[0] = std::int16_t(at[0] + carried[0]);
            at[1] = std::int16_t(at[1] + carried[1]);
            at[2] = std::int16_t(at[2] + carried[2]);
            carried[0] = red[carried[0]];
            carried[1] = green[carried[1]];
            carried[2] = blue[carried[2]];
        }

        std::uint8_t *bytes = bytesOf(y);
        for (std::size_t i = 0; i < lanes; ++i) {
            // valueAt() and errorOf(), in the 16-bit lanes' terms, for the vectoriser.
            const int v = std::min(std::max((index[i] >> 4) - 8, 0), 255);
            bytes[i] = std::uint8_t(v);
            error[i + 4] = std::int16_t(v > masks[i] ? (v & masks[i]) - masks[i] : v);
        }
        if (y + 1 == picture.height())
            break;
        // The next row starts from what this one sends down: 3, 5 and 1 sixteenths of the
        // errors above right, above and above left.
        const std::uint8_t *below = bytesOf(y + 1);
        for (std::size_t i = 0; i < lanes; ++i)
            index[i] = std::int16_t(16 * below[i] + kBias + 3 * error[i + 8] + 5 * error[i + 4] +
                                    error[i]);
    }
}

} // namespace

void dither(PixelStore &picture, Dither method)
{
    switch (method) {
    case Dither::None:
        break;
    case Dither::Ordered:
        ditherOrdered(picture);
        break;
    case Dither::FloydSteinberg:
        ditherFloydSteinberg(picture);
        break;
    }
}

} // namespace core
