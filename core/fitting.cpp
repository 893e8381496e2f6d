#include "core/fitting.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <new>
#include <vector>

namespace core {

namespace {

// round(a * b / c) for positive numbers, at least 1.
std::int64_t scaledSide(std::int64_t a, std::int64_t b, std::int64_t c)
{
    const Quotient q = mulDiv(a, b, c);
    return std::max<std::int64_t>(1, q.value + (2 * q.remainder >= c ? 1 : 0));
}

// The source pixels one new pixel covers along an axis, and their weights: the first and the
// last may overlap it in part, those between wholly.
struct Span
{
    int first = 0;
    int count = 0;
    std::uint64_t firstWeight = 0;
    std::uint64_t lastWeight = 0;
};

// Along an axis of `source` pixels scaled to `scaled`, in units where a source pixel is
// `scaled` long and a new pixel `source` long, so that every boundary is a whole number. The
// window may start far out in a long scaled strip, where those units pass 64 bits: the
// boundaries are carried as a whole source pixel and a remainder within it.
std::vector<Span> spans(int source, std::int64_t scaled, std::int64_t from, int count)
{
    const std::int64_t n = source, m = scaled;
    std::vector<Span> all(static_cast<std::size_t>(count));
    // The new pixel's start: source pixel `first`, `into` units into it.
    Quotient start = mulDiv(from, n, m);
    for (int i = 0; i < count; ++i) {
        // Its end, as far past the start of pixel `first`; never more than n + m.
        const std::int64_t end = start.remainder + n;
        const std::int64_t lastOffset = (end - 1) / m;
        Span &span = all[std::size_t(i)];
        span.first = int(start.value);
        span.count = int(lastOffset + 1);
        span.firstWeight = std::uint64_t(std::min(end, m) - start.remainder);
        span.lastWeight = std::uint64_t(end - std::max(start.remainder, lastOffset * m));
        start = {start.value + end / m, end % m};
    }
    return all;
}

constexpr int kChannels = 4; // the bytes of a word, blue first

void addWeighted(std::uint64_t *sums, std::uint32_t word, std::uint64_t weight)
{
    for (int c = 0; c < kChannels; ++c)
        sums[c] += weight * (word >> (8 * c) & 0xFF);
}

// One source row reduced along x: for each new pixel of the window, its weighted channel sums.
void sumRow(const std::uint32_t *row, const std::vector<Span> &columns, std::uint64_t middle,
            std::vector<std::uint64_t> &sums)
{
    std::fill(sums.begin(), sums.end(), 0);
    std::uint64_t *out = sums.data();
    for (const Span &span : columns) {
        const std::uint32_t *in = row + span.first;
        if (span.count == 1) {
            addWeighted(out, in[0], span.firstWeight);
        } else {
            addWeighted(out, in[0], span.firstWeight);
            for (int k = 1; k + 1 < span.count; ++k)
                addWeighted(out, in[k], middle);
            addWeighted(out, in[span.count - 1], span.lastWeight);
        }
        out += kChannels;
    }
}

} // namespace

Placement placeOnPanel(Size picture, Size panel, FitMode mode)
{
    const std::int64_t w = picture.width, h = picture.height;
    const std::int64_t pw = panel.width, ph = panel.height;
    Extent size{pw, ph};
    if (mode != FitMode::Stretch) {
        // Comparing w / h with pw / ph without division: is the picture the wider shape?
        const bool wider = w * ph > pw * h;
        if (wider == (mode == FitMode::Contain))
            size.height = scaledSide(h, pw, w);
        else
            size.width = scaledSide(w, ph, h);
    }
    return {size, (pw - size.width) / 2, (ph - size.height) / 2};
}

PixelStore turned(PixelStore picture, int degrees)
{
    const int quarter = ((degrees % 360 + 360) % 360) / 90;
    if (quarter == 0 || picture.isNull())
        return picture;
    const int w = picture.width(), h = picture.height();
    const bool across = quarter != 2;
    PixelStore out = PixelStore::allocate(across ? h : w, across ? w : h);
    if (out.isNull())
        return out;
    out.setHasAlpha(picture.hasAlpha());
    // In tiles, so that the rows read and the columns written both stay in the cache.
    constexpr int kTile = 32;
    for (int y0 = 0; y0 < h; y0 += kTile)
        for (int x0 = 0; x0 < w; x0 += kTile)
            for (int y = y0; y < std::min(h, y0 + kTile); ++y) {
                const std::uint32_t *in = picture.row(y);
                for (int x = x0; x < std::min(w, x0 + kTile); ++x) {
                    switch (quarter) {
                    case 1: // clockwise: the left column becomes the top row
                        out.row(x)[h - 1 - y] = in[x];
                        break;
                    case 2:
                        out.row(h - 1 - y)[w - 1 - x] = in[x];
                        break;
                    default:
                        out.row(w - 1 - x)[y] = in[x];
                        break;
                    }
                }
            }
    return out;
}

namespace {

PixelStore scaledWindowOrThrow(const PixelStore &picture, Extent scaled, Window window)
{
    PixelStore out = PixelStore::allocate(window.width, window.height);
    if (out.isNull() || picture.isNull())
        return {};
    out.setHasAlpha(picture.hasAlpha());
    const int w = picture.width(), h = picture.height();
    const std::vector<Span> columns = spans(w, scaled.width, window.left, window.width);
    const std::vector<Span> rows = spans(h, scaled.height, window.top, window.height);
    const std::uint64_t total = std::uint64_t(w) * std::uint64_t(h);
    const std::uint32_t opaque = picture.hasAlpha() ? 0 : 0xFF000000u;

    const std::size_t width = std::size_t(window.width);
    std::vector<std::uint64_t> rowSums(width * kChannels), sums(width * kChannels);
    int summedRow = -1; // the source row whose sums rowSums holds
    for (int y = 0; y < window.height; ++y) {
        const Span &span = rows[std::size_t(y)];
        std::fill(sums.begin(), sums.end(), 0);
        for (int k = 0; k < span.count; ++k) {
            const int source = span.first + k;
            // A row on a boundary serves the new rows on both sides of it.
            if (source != summedRow) {
                sumRow(picture.row(source), columns, std::uint64_t(scaled.width), rowSums);
                summedRow = source;
            }
            const std::uint64_t weight = k == 0                ? span.firstWeight
                                         : k + 1 == span.count ? span.lastWeight
                                                               : std::uint64_t(scaled.height);
            for (std::size_t i = 0; i < sums.size(); ++i)
                sums[i] += weight * rowSums[i];
        }
        std::uint32_t *line = out.row(y);
        for (std::size_t x = 0; x < width; ++x) {
            std::uint32_t word = 0;
            for (int c = 0; c < kChannels; ++c)
                word |= std::uint32_t((sums[x * kChannels + std::size_t(c)] + total / 2) / total)
                        << (8 * c);
            line[x] = word | opaque;
        }
    }
    return out;
}

} // namespace

PixelStore scaledWindow(const PixelStore &picture, Extent scaled, Window window)
{
    // Its sums take 64 bytes a new pixel of a row: a panel a quarter of a billion pixels
    // wide may not get them.
    try {
        return scaledWindowOrThrow(picture, scaled, window);
    } catch (const std::bad_alloc &) {
        return {};
    }
}

PixelStore cropped(const PixelStore &picture, Rect crop)
{
    return scaledWindow(picture, {picture.width(), picture.height()},
                        {crop.x, crop.y, crop.width, crop.height});
}

PixelStore fitted(PixelStore picture, Size panel, FitMode mode, Colour background)
{
    if (picture.size() == panel || picture.isNull())
        return picture;
    const Placement place = placeOnPanel(picture.size(), panel, mode);
    // The part of the scaled picture the panel shows, in panel coordinates: all of it on
    // contain's bands, the middle of it for cover.
    const int left = int(std::max<std::int64_t>(place.x, 0));
    const int top = int(std::max<std::int64_t>(place.y, 0));
    const int width = int(std::min<std::int64_t>(place.x + place.size.width, panel.width) - left);
    const int height = int(std::min<std::int64_t>(place.y + place.size.height, panel.height) - top);
    PixelStore part =
        scaledWindow(picture, place.size, {left - place.x, top - place.y, width, height});
    if (Size{width, height} == panel || part.isNull())
        return part;
    PixelStore canvas = PixelStore::filled(panel, background);
    if (canvas.isNull())
        return canvas;
    canvas.setHasAlpha(part.hasAlpha());
    for (int y = 0; y < part.height(); ++y)
        std::memcpy(canvas.row(top + y) + left, part.row(y), 4 * std::size_t(part.width()));
    return canvas;
}

} // namespace core
