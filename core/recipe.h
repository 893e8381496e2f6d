// The firmware steps between a loaded picture and the bytes a display unit takes: cutting,
// turning and fitting it to the panel, dithering, and the order of each pixel's bytes. One
// value describes them, the command line's options and the window's settings alike, and one
// function applies it, so that both give the same bytes for the same picture. The default
// recipe is the window's plain conversion.
#pragma once

#include "core/colour.h"
#include "core/conversion.h"
#include "core/decode/picture_loader.h"
#include "core/dithering.h"
#include "core/error.h"
#include "core/fitting.h"
#include "core/pixel_store.h"

#include <QRect>
#include <QSize>
#include <QString>

#include <functional>
#include <optional>

namespace core {

enum class OutputFormat
{
    Bin,
    C, // C source with the bytes in an array
};

// What becomes of a pixel's transparency.
enum class AlphaMode
{
    Ignore, // the colour the file stores, as if opaque
    Blend,  // composited over the background
};

struct Recipe
{
    std::optional<QRect> crop; // the part of the loaded picture kept, before anything else
    AlphaMode alpha = AlphaMode::Ignore;
    // Pixels less than half opaque become exactly this colour's word, for firmware that skips
    // it when it draws.
    std::optional<Colour> colourKey;
    std::optional<QSize> panel; // fit each picture to exactly this size
    FitMode fitMode = FitMode::Contain;
    Colour background = 0; // of contain's bands, and what transparency is blended over
    int rotation = 0;      // degrees clockwise, before fitting
    Dither dither = Dither::None;
    ByteOrder byteOrder = ByteOrder::Little;
    OutputFormat format = OutputFormat::Bin;

    bool operator==(const Recipe &) const = default;
    // Nothing departs from the plain conversion.
    bool isPlain() const { return *this == Recipe{}; }
    // The picture must be loaded with its transparency.
    bool needsAlpha() const { return alpha == AlphaMode::Blend || colourKey.has_value(); }
};

// The size a picture of `loaded` pixels has once the recipe has shaped it.
QSize shapedSize(QSize loaded, const Recipe &recipe);

// Why the crop does not fit a picture of `loaded` pixels, or an empty string.
QString cropRefusal(QSize loaded, const Recipe &recipe);

// The box the picture will be fitted into, turned back into the picture's own orientation, for
// a decoder that can shrink while it loads; none without a panel, or with a crop, whose pixels
// are the loaded picture's.
std::optional<QSize> shrinkBox(const Recipe &recipe);

// Cuts, blends, turns and fits `picture` as the recipe says. A crop outside the picture is a
// CannotRead error naming `name`; OutOfMemory when a new picture cannot be had (then `picture`
// may be gone).
Expected<void> shapePicture(PixelStore &picture, const Recipe &recipe, const QString &name);

// The rest of the recipe on a picture shapePicture() has shaped: dithered and converted into
// `bin`, which is made the right size, in the recipe's byte order. With `preview` the
// picture's pixels then show exactly what the display unit shows; without, they are the shaped
// picture, dithered.
Expected<void> encodeShaped(PixelStore &picture, const Recipe &recipe, BinBuffer &bin, bool preview,
                            const QString &name, const RowDone &rowDone = {});

// The whole recipe on a loaded picture: shapePicture(), then encodeShaped().
Expected<void> applyRecipe(PixelStore &picture, const Recipe &recipe, BinBuffer &bin, bool preview,
                           const QString &name, const RowDone &rowDone = {});

// The one loading step of a conversion, the window's and the command line's alike, so that
// both convert the same pixels: the picture decoded as the recipe will use it, shrunk while
// decoding where its fit allows (a JPEG's DCT scaling), with its transparency where the
// recipe needs it. `checkSize` is asked as LoadOptions says.
LoadOptions loadOptionsFor(const Recipe &recipe,
                           std::function<QString(QSize upright)> checkSize = {});
Expected<PixelStore> loadForRecipe(const QByteArray &bytes, const QString &name,
                                   const Recipe &recipe,
                                   std::function<QString(QSize upright)> checkSize = {});

// The words the command line and the settings file use for each step, and back.
QString fitModeWord(FitMode mode);
std::optional<FitMode> fitModeFromWord(QStringView word);
QString ditherWord(Dither method);
std::optional<Dither> ditherFromWord(QStringView word);
QString byteOrderWord(ByteOrder order);
std::optional<ByteOrder> byteOrderFromWord(QStringView word);
QString alphaWord(AlphaMode mode);
std::optional<AlphaMode> alphaFromWord(QStringView word);
// 0, 90, 180 or 270.
std::optional<int> rotationFromWord(QStringView word);
// "X,Y,W,H": a corner at or right of and below the top left, and a size of at least 1 x 1.
QString cropWord(QRect crop);
std::optional<QRect> cropFromWord(QStringView word);
// "RRGGBB", upper case; read back with or without a leading "#".
QString colourWord(Colour colour);
std::optional<Colour> colourFromWord(QStringView word);
// "640x480" (or "640X480"): both numbers at least 1, digits only.
QString sizeWord(QSize size);
std::optional<QSize> sizeFromWord(QStringView word);

} // namespace core
