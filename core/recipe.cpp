#include "core/recipe.h"

#include "core/quantiser.h"
#include "core/texts.h"

#include <algorithm>
#include <array>
#include <new>
#include <span>

namespace core {

namespace {

// Names the picture the step was making, so that a user sees which setting asked too much.
Error outOfMemory(const QString &name, QSize making)
{
    return Error{Error::Kind::OutOfMemory, name,
                 Texts::tr("a picture of %1 x %2 pixels does not fit")
                     .arg(making.width())
                     .arg(making.height())};
}

template<typename T, std::size_t N>
std::optional<T> lookUp(QStringView word, const std::array<std::pair<const char *, T>, N> &words)
{
    for (const auto &[text, value] : words)
        if (word == QLatin1String(text))
            return value;
    return std::nullopt;
}

template<typename T, std::size_t N>
QString wordOf(T value, const std::array<std::pair<const char *, T>, N> &words)
{
    for (const auto &[text, known] : words)
        if (known == value)
            return QLatin1String(text);
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

// ASCII digits only: QChar::isDigit() takes full-width and other scripts' digits too, which
// toInt() then refuses, silently.
bool allDigits(QStringView text, int base)
{
    return !text.isEmpty() && std::all_of(text.begin(), text.end(), [base](QChar c) {
        const char16_t u = c.unicode();
        return (u >= u'0' && u <= u'9') ||
               (base == 16 && ((u >= u'a' && u <= u'f') || (u >= u'A' && u <= u'F')));
    });
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

QSize shapedSize(QSize loaded, const Recipe &recipe)
{
    if (recipe.panel)
        return *recipe.panel;
    const QSize kept = recipe.crop ? recipe.crop->size() : loaded;
    return turnsAcross(recipe.rotation) ? kept.transposed() : kept;
}

QString cropRefusal(QSize loaded, const Recipe &recipe)
{
    if (!recipe.crop || QRect(QPoint(), loaded).contains(*recipe.crop))
        return {};
    return Texts::tr("the crop %1 (%2 x %3 pixels) reaches outside the picture of %4 x %5 pixels")
        .arg(cropWord(*recipe.crop))
        .arg(recipe.crop->width())
        .arg(recipe.crop->height())
        .arg(loaded.width())
        .arg(loaded.height());
}

std::optional<QSize> shrinkBox(const Recipe &recipe)
{
    if (!recipe.panel || recipe.crop)
        return std::nullopt;
    return turnsAcross(recipe.rotation) ? recipe.panel->transposed() : *recipe.panel;
}

Expected<void> shapePicture(PixelStore &picture, const Recipe &recipe, const QString &name)
{
    if (const QString refusal = cropRefusal(picture.size(), recipe); !refusal.isEmpty())
        return Error{Error::Kind::CannotRead, name, refusal};
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
        const QSize turnedSize =
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
                           const QString &name, const RowDone &rowDone)
{
    if (const auto shaped = shapePicture(picture, recipe, name); !shaped)
        return shaped;
    return encodeShaped(picture, recipe, bin, preview, name, rowDone);
}

LoadOptions loadOptionsFor(const Recipe &recipe, std::function<QString(QSize upright)> checkSize)
{
    LoadOptions options;
    options.checkSize = std::move(checkSize);
    options.shrinkFor = shrinkBox(recipe);
    options.keepAlpha = recipe.needsAlpha();
    return options;
}

Expected<PixelStore> loadForRecipe(const QByteArray &bytes, const QString &name,
                                   const Recipe &recipe,
                                   std::function<QString(QSize upright)> checkSize)
{
    return decodePicture(bytes, name, loadOptionsFor(recipe, std::move(checkSize)));
}

Expected<void> encodeShaped(PixelStore &picture, const Recipe &recipe, BinBuffer &bin, bool preview,
                            const QString &name, const RowDone &rowDone)
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

QString fitModeWord(FitMode mode)
{
    return wordOf(mode, kFitModes);
}

std::optional<FitMode> fitModeFromWord(QStringView word)
{
    return lookUp(word, kFitModes);
}

QString ditherWord(Dither method)
{
    return wordOf(method, kDithers);
}

std::optional<Dither> ditherFromWord(QStringView word)
{
    return lookUp(word, kDithers);
}

QString byteOrderWord(ByteOrder order)
{
    return wordOf(order, kByteOrders);
}

std::optional<ByteOrder> byteOrderFromWord(QStringView word)
{
    return lookUp(word, kByteOrders);
}

QString alphaWord(AlphaMode mode)
{
    return wordOf(mode, kAlphaModes);
}

std::optional<AlphaMode> alphaFromWord(QStringView word)
{
    return lookUp(word, kAlphaModes);
}

QString cropWord(QRect crop)
{
    return QStringLiteral("%1,%2,%3,%4")
        .arg(crop.x())
        .arg(crop.y())
        .arg(crop.width())
        .arg(crop.height());
}

std::optional<QRect> cropFromWord(QStringView word)
{
    const QList<QStringView> parts = word.split(u',');
    if (parts.size() != 4)
        return std::nullopt;
    int numbers[4] = {};
    for (int i = 0; i < 4; ++i) {
        bool ok = false;
        numbers[i] = parts[i].toInt(&ok);
        // Past any picture's side; also keeps x + w within an int.
        if (!allDigits(parts[i], 10) || !ok || numbers[i] > (1 << 28))
            return std::nullopt;
    }
    if (numbers[2] < 1 || numbers[3] < 1)
        return std::nullopt;
    return QRect(numbers[0], numbers[1], numbers[2], numbers[3]);
}

std::optional<int> rotationFromWord(QStringView word)
{
    for (const int degrees : {0, 90, 180, 270})
        if (word == QString::number(degrees))
            return degrees;
    return std::nullopt;
}

QString colourWord(Colour colour)
{
    return QStringLiteral("%1%2%3")
        .arg(redOf(colour), 2, 16, QLatin1Char('0'))
        .arg(greenOf(colour), 2, 16, QLatin1Char('0'))
        .arg(blueOf(colour), 2, 16, QLatin1Char('0'))
        .toUpper();
}

std::optional<Colour> colourFromWord(QStringView word)
{
    if (word.startsWith(u'#'))
        word = word.mid(1);
    if (word.size() != 6 || !allDigits(word, 16))
        return std::nullopt;
    const uint value = word.toUInt(nullptr, 16);
    return rgb(int(value >> 16), int(value >> 8 & 0xFF), int(value & 0xFF));
}

QString sizeWord(QSize size)
{
    return QStringLiteral("%1x%2").arg(size.width()).arg(size.height());
}

std::optional<QSize> sizeFromWord(QStringView word)
{
    const qsizetype x = word.indexOf(u'x', 0, Qt::CaseInsensitive);
    if (x < 0)
        return std::nullopt;
    // toInt() would take a sign and blanks; a size is digits only.
    const QStringView width = word.left(x), height = word.mid(x + 1);
    if (!allDigits(width, 10) || !allDigits(height, 10))
        return std::nullopt;
    bool widthOk = false, heightOk = false;
    const QSize size(width.toInt(&widthOk), height.toInt(&heightOk));
    if (!widthOk || !heightOk || size.width() < 1 || size.height() < 1)
        return std::nullopt;
    return size;
}

} // namespace core
