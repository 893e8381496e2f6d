#include "core/recipe.h"

#include "core/message.h"
#include "core/quantiser.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <limits>
#include <new>
#include <span>

namespace core {

namespace {

// Names the picture the step was making, so that a user sees which setting asked too much.
Error outOfMemory(const Message &subject, Size making)
{
    return Error{Error::Kind::OutOfMemory, subject,
                 message(VTR("core", "a picture of %1 x %2 pixels does not fit"), making.width,
                         making.height)};
}

template<typename T, std::size_t N>
std::optional<T> lookUp(std::string_view word,
                        const std::array<std::pair<const char *, T>, N> &words)
{
    for (const auto &[text, value] : words)
        if (word == text)
            return value;
    return std::nullopt;
}

template<typename T, std::size_t N>
std::string wordOf(T value, const std::array<std::pair<const char *, T>, N> &words)
{
    for (const auto &[text, known] : words)
        if (known == value)
            return text;
    return {};
}

constexpr std::array<std::pair<const char *, FitMode>, 3> kFitModes{{
    {"contain", FitMode::Contain},
    {"cover", FitMode::Cover},
    {"stretch", FitMode::Stretch},
}};
constexpr std::array<std::pair<const char *, Dither>, 3> kDithers{{
    {"none", Dither::None},
    {"ordered", Dither::Ordered},
    {"fs", Dither::FloydSteinberg},
}};
constexpr std::array<std::pair<const char *, AlphaMode>, 2> kAlphaModes{{
    {"ignore", AlphaMode::Ignore},
    {"blend", AlphaMode::Blend},
}};
constexpr std::array<std::pair<const char *, ByteOrder>, 2> kByteOrders{{
    {"le", ByteOrder::Little},
    {"be", ByteOrder::Big},
}};

// ASCII digits only, as a word's numbers are written.
bool allDigits(std::string_view text, int base)
{
    return !text.empty() && std::all_of(text.begin(), text.end(), [base](char c) {
        return (c >= '0' && c <= '9') ||
               (base == 16 && ((c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F')));
    });
}

// A number of ASCII digits up to `limit`, or nothing.
std::optional<int> numberOf(std::string_view text, int base, int limit)
{
    if (!allDigits(text, base))
        return std::nullopt;
    int value = 0;
    const auto [end, failure] =
        std::from_chars(text.data(), text.data() + text.size(), value, base);
    if (failure != std::errc() || end != text.data() + text.size() || value > limit)
        return std::nullopt;
    return value;
}

bool turnsAcross(int rotation)
{
    return rotation % 180 != 0;
}

// round((a * c + (255 - a) * bg) / 255) for each channel; the alpha stays when a colour key
// still needs it after fitting.
void blend(PixelStore &picture, Colour background, bool keepAlpha)
{
    const std::uint32_t bg = toQRgb(background);
    for (int y = 0; y < picture.height(); ++y) {
        std::uint32_t *row = picture.row(y);
        for (int x = 0; x < picture.width(); ++x) {
            const std::uint32_t p = row[x], a = p >> 24;
            std::uint32_t out = keepAlpha ? p & 0xFF000000u : 0xFF000000u;
            for (int shift = 0; shift < 24; shift += 8) {
                const std::uint32_t c = p >> shift & 0xFF, b = bg >> shift & 0xFF;
                // No x / 255 of whole numbers falls on a half, so this rounds to nearest.
                out |= (a * c + (255 - a) * b + 127) / 255 << shift;
            }
            row[x] = out;
        }
    }
    if (!keepAlpha)
        picture.setHasAlpha(false);
}

// The key colour's word, and its preview, over every pixel less than half opaque.
void keyOut(PixelStore &picture, std::span<std::uint8_t> bin, Colour key, bool preview)
{
    const Quantised keyed = quantise(key);
    std::uint8_t *out = bin.data();
    for (int y = 0; y < picture.height(); ++y) {
        std::uint32_t *row = picture.row(y);
        for (int x = 0; x < picture.width(); ++x, out += 2) {
            if (row[x] >> 24 >= 128)
                continue;
            out[0] = keyed.bin.low;
            out[1] = keyed.bin.high;
            if (preview)
                row[x] = toQRgb(keyed.preview);
        }
    }
}

} // namespace

Size shapedSize(Size loaded, const Recipe &recipe)
{
    if (recipe.panel)
        return *recipe.panel;
    const Size kept = recipe.crop ? recipe.crop->size() : loaded;
    return turnsAcross(recipe.rotation) ? kept.transposed() : kept;
}

std::optional<Message> cropRefusal(Size loaded, const Recipe &recipe)
{
    if (!recipe.crop || recipe.crop->within(loaded))
        return std::nullopt;
    return message(VTR("core", "the crop %1 (%2 x %3 pixels) reaches outside the picture of %4 x "
                               "%5 pixels"),
                   cropWord(*recipe.crop), recipe.crop->width, recipe.crop->height, loaded.width,
                   loaded.height);
}

std::optional<Size> shrinkBox(const Recipe &recipe)
{
    if (!recipe.panel || recipe.crop)
        return std::nullopt;
    return turnsAcross(recipe.rotation) ? recipe.panel->transposed() : *recipe.panel;
}

Expected<void> shapePicture(PixelStore &picture, const Recipe &recipe, const Message &name)
{
    if (auto refusal = cropRefusal(picture.size(), recipe))
        return Error{Error::Kind::CannotRead, name, std::move(*refusal)};
    if (recipe.crop && recipe.crop->size() != picture.size()) {
        picture = cropped(picture, *recipe.crop);
        if (picture.isNull())
            return outOfMemory(name, recipe.crop->size());
    }
    if (picture.hasAlpha()) {
        if (recipe.alpha == AlphaMode::Blend)
            blend(picture, recipe.background, recipe.colourKey.has_value());
        else if (!recipe.colourKey)
            picture.dropAlpha();
    }
    if (recipe.rotation != 0) {
        const Size turnedSize =
            turnsAcross(recipe.rotation) ? picture.size().transposed() : picture.size();
        picture = turned(std::move(picture), recipe.rotation);
        if (picture.isNull())
            return outOfMemory(name, turnedSize);
    }
    if (recipe.panel) {
        picture = fitted(std::move(picture), *recipe.panel, recipe.fitMode, recipe.background);
        if (picture.isNull())
            return outOfMemory(name, *recipe.panel);
    }
    return {};
}

Expected<void> applyRecipe(PixelStore &picture, const Recipe &recipe, BinBuffer &bin, bool preview,
                           const Message &name, const RowDone &rowDone)
{
    if (const auto shaped = shapePicture(picture, recipe, name); !shaped)
        return shaped;
    return encodeShaped(picture, recipe, bin, preview, name, rowDone);
}

LoadOptions loadOptionsFor(const Recipe &recipe,
                           std::function<std::optional<Message>(Size upright)> checkSize)
{
    LoadOptions options;
    options.checkSize = std::move(checkSize);
    options.shrinkFor = shrinkBox(recipe);
    options.keepAlpha = recipe.needsAlpha();
    return options;
}

Expected<PixelStore> loadForRecipe(ByteView bytes, const Message &name, const Recipe &recipe,
                                   std::function<std::optional<Message>(Size upright)> checkSize)
{
    return decodePicture(bytes, name, loadOptionsFor(recipe, std::move(checkSize)));
}

Expected<void> encodeShaped(PixelStore &picture, const Recipe &recipe, BinBuffer &bin, bool preview,
                            const Message &name, const RowDone &rowDone)
{
    const auto bytes = binSize(std::uint64_t(picture.width()), std::uint64_t(picture.height()));
    if (bin.size() != bytes) {
        if (bytes > bin.max_size())
            return outOfMemory(name, picture.size());
        try {
            // Shrinking keeps the memory; growing clears only the new part.
            bin.resize(std::size_t(bytes));
        } catch (const std::bad_alloc &) {
            return outOfMemory(name, picture.size());
        }
    }
    dither(picture, recipe.dither);
    convertInto(picture, bin, preview, rowDone);
    if (recipe.colourKey && picture.hasAlpha())
        keyOut(picture, bin, *recipe.colourKey, preview);
    picture.dropAlpha();
    applyByteOrder(bin, recipe.byteOrder);
    return {};
}

std::string fitModeWord(FitMode mode)
{
    return wordOf(mode, kFitModes);
}

std::optional<FitMode> fitModeFromWord(std::string_view word)
{
    return lookUp(word, kFitModes);
}

std::string ditherWord(Dither method)
{
    return wordOf(method, kDithers);
}

std::optional<Dither> ditherFromWord(std::string_view word)
{
    return lookUp(word, kDithers);
}

std::string byteOrderWord(ByteOrder order)
{
    return wordOf(order, kByteOrders);
}

std::optional<ByteOrder> byteOrderFromWord(std::string_view word)
{
    return lookUp(word, kByteOrders);
}

std::string alphaWord(AlphaMode mode)
{
    return wordOf(mode, kAlphaModes);
}

std::optional<AlphaMode> alphaFromWord(std::string_view word)
{
    return lookUp(word, kAlphaModes);
}

std::string cropWord(Rect crop)
{
    return std::to_string(crop.x) + ',' + std::to_string(crop.y) + ',' +
           std::to_string(crop.width) + ',' + std::to_string(crop.height);
}

std::optional<Rect> cropFromWord(std::string_view word)
{
    int numbers[4] = {};
    for (int i = 0; i < 4; ++i) {
        const std::size_t comma = i < 3 ? word.find(',') : word.size();
        if (comma == std::string_view::npos || (i == 3 && word.find(',') != std::string_view::npos))
            return std::nullopt;
        // Past any picture's side; also keeps x + w within an int.
        const auto number = numberOf(word.substr(0, comma), 10, 1 << 28);
        if (!number)
            return std::nullopt;
        numbers[i] = *number;
        word.remove_prefix(std::min(word.size(), comma + 1));
    }
    if (numbers[2] < 1 || numbers[3] < 1)
        return std::nullopt;
    return Rect{numbers[0], numbers[1], numbers[2], numbers[3]};
}

std::optional<int> rotationFromWord(std::string_view word)
{
    for (const int degrees : {0, 90, 180, 270})
        if (word == std::to_string(degrees))
            return degrees;
    return std::nullopt;
}

std::string colourWord(Colour colour)
{
    static const char digits[] = "0123456789ABCDEF";
    std::string word;
    for (const int channel : {redOf(colour), greenOf(colour), blueOf(colour)}) {
        word += digits[channel >> 4];
        word += digits[channel & 0xF];
    }
    return word;
}

std::optional<Colour> colourFromWord(std::string_view word)
{
    if (!word.empty() && word.front() == '#')
        word.remove_prefix(1);
    if (word.size() != 6)
        return std::nullopt;
    const auto value = numberOf(word, 16, 0xFFFFFF);
    if (!value)
        return std::nullopt;
    return rgb(*value >> 16, *value >> 8 & 0xFF, *value & 0xFF);
}

std::string sizeWord(Size size)
{
    return std::to_string(size.width) + 'x' + std::to_string(size.height);
}

std::optional<Size> sizeFromWord(std::string_view word)
{
    const std::size_t x = word.find_first_of("xX");
    if (x == std::string_view::npos)
        return std::nullopt;
    // Digits only: no sign, no blanks.
    const auto width = numberOf(word.substr(0, x), 10, std::numeric_limits<int>::max());
    const auto height = numberOf(word.substr(x + 1), 10, std::numeric_limits<int>::max());
    if (!width || !height || *width < 1 || *height < 1)
        return std::nullopt;
    return Size{*width, *height};
}

} // namespace core
