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

#include <functional>
#include <optional>
#include <string>
#include <string_view>

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
    std::optional<Rect> crop; // the part of the loaded picture kept, before anything else
    AlphaMode alpha = AlphaMode::Ignore;
    // Pixels less than half opaque become exactly this colour's word, for firmware that skips
    // it when it draws.
    std::optional<Colour> colourKey;
    std::optional<Size> panel; // fit each picture to exactly this size
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
Size shapedSize(Size loaded, const Recipe &recipe);

// Why the crop does not fit a picture of `loaded` pixels, or nothing.
std::optional<Message> cropRefusal(Size loaded, const Recipe &recipe);

// The box the picture will be fitted into, turned back into the picture's own orientation, for
// a decoder that can shrink while it loads; none without a panel, or with a crop, whose pixels
// are the loaded picture's.
std::optional<Size> shrinkBox(const Recipe &recipe);

// Cuts, blends, turns and fits `picture` as the recipe says. A crop outside the picture is a
// CannotRead error about `subject`; OutOfMemory when a new picture cannot be had (then `picture`
// may be gone).
Expected<void> shapePicture(PixelStore &picture, const Recipe &recipe, const Message &subject);

// The rest of the recipe on a picture shapePicture() has shaped: dithered and converted into
// `bin`, which is made the right size, in the recipe's byte order. With `preview` the
// picture's pixels then show exactly what the display unit shows; without, they are the shaped
// picture, dithered.
Expected<void> encodeShaped(PixelStore &picture, const Recipe &recipe, BinBuffer &bin, bool preview,
                            const Message &subject, const RowDone &rowDone = {});

// The whole recipe on a loaded picture: shapePicture(), then encodeShaped().
Expected<void> applyRecipe(PixelStore &picture, const Recipe &recipe, BinBuffer &bin, bool preview,
                           const Message &subject, const RowDone &rowDone = {});

// The one loading step of a conversion, the window's and the command line's alike, so that
// both convert the same pixels: the picture decoded as the recipe will use it, shrunk while
// decoding where its fit allows (a JPEG's DCT scaling), with its transparency where the
// recipe needs it. `checkSize` is asked as LoadOptions says.
LoadOptions loadOptionsFor(const Recipe &recipe,
                           std::function<std::optional<Message>(Size upright)> checkSize = {});
Expected<PixelStore>
loadForRecipe(ByteView bytes, const Message &subject, const Recipe &recipe,
              std::function<std::optional<Message>(Size upright)> checkSize = {});

// The words the command line and the settings file use for each step, and back.
std::string fitModeWord(FitMode mode);
std::optional<FitMode> fitModeFromWord(std::string_view word);
std::string ditherWord(Dither method);
std::optional<Dither> ditherFromWord(std::string_view word);
std::string byteOrderWord(ByteOrder order);
std::optional<ByteOrder> byteOrderFromWord(std::string_view word);
std::string alphaWord(AlphaMode mode);
std::optional<AlphaMode> alphaFromWord(std::string_view word);
// 0, 90, 180 or 270.
std::optional<int> rotationFromWord(std::string_view word);
// "X,Y,W,H": a corner at or right of and below the top left, and a size of at least 1 x 1.
std::string cropWord(Rect crop);
std::optional<Rect> cropFromWord(std::string_view word);
// "RRGGBB", upper case; read back with or without a leading "#".
std::string colourWord(Colour colour);
std::optional<Colour> colourFromWord(std::string_view word);
// "640x480" (or "640X480"): both numbers at least 1, digits only.
std::string sizeWord(Size size);
std::optional<Size> sizeFromWord(std::string_view word);

} // namespace core
