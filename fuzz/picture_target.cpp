// The fuzz target: arbitrary bytes go the way a picture file goes in the product, through the
// loader with its limits (every frame too, with alpha kept), the conversion with and without
// preview, and the bitmap writer. An input that starts with a zero byte carries a recipe in
// its next kRecipeBytes (crop, rotation, fit up to strips of extreme aspect, dithering,
// transparency, key colour, byte order, C source), applied as the command line applies it,
// before the picture. Besides the sanitizers it checks what must hold for any picture that
// loads, so that a wrong result counts as a finding just like a crash.
#include "core/conversion.h"
#include "core/decode/bmp_decoder.h"
#include "core/decode/exif.h"
#include "core/decode/jpeg_decoder.h"
#include "core/decode/picture_loader.h"
#include "core/files/bitmap_file.h"
#include "core/files/c_source.h"
#include "core/fitting.h"
#include "core/quantiser.h"
#include "core/recipe.h"

#include <algorithm>
#include <filesystem>
#include <random>
#include <string>

#include <cstdint>
#include <cstdio>
#include <cstdlib>

namespace {

[[noreturn]] void fail(const char *what, const std::string &detail = {})
{
    std::fprintf(stderr, "fuzz_picture: %s %s\n", what, detail.c_str());
    std::abort();
}

// A folder of the process's own for the bitmap writer's files, gone when it ends.
const std::filesystem::path &outputDir()
{
    static const struct Folder
    {
        std::filesystem::path path;
        Folder()
        {
            std::error_code error;
            path = std::filesystem::temp_directory_path(error) /
                   ("fuzz_picture-" + std::to_string(std::random_device{}()));
            if (error || !std::filesystem::create_directories(path, error))
                fail("no temporary folder:", path.string());
        }
        ~Folder()
        {
            std::error_code ignored;
            std::filesystem::remove_all(path, ignored);
        }
    } folder;
    return folder.path;
}

// Past this size the conversion and the writers get a corner of the picture only: every row
// runs the same code, and whole passes over a picture at the loader's limit take a minute
// under the sanitizers, which the fuzzer would report as a hang. The loader still decodes
// the whole file, and the hostile-file tests convert such pictures whole.
constexpr int kMaxConvertedSide = 1024;

// The preview saved as a bitmap and read back by our own decoder is the same picture.
void checkBitmapRoundTrip(const core::PixelStore &picture)
{
    const std::filesystem::path path = outputDir() / "out.BMP";
    if (const auto saved = core::saveBitmap(path, picture); !saved)
        fail("bitmap not saved:", saved.error().reason.text ? saved.error().reason.text : "");
    auto back = core::loadPicture(path);
    if (!back)
        fail("saved bitmap does not load:",
             back.error().reason.text ? back.error().reason.text : "");
    if (!back.value().samePixels(picture))
        fail("saved bitmap has other pixels");
}

// Set when libFuzzer runs the target, not when the replay does. A few bytes of BMP can claim a
// picture at the loader's limit of a gigabyte, all of it black; a second per such input starves
// the search, so the fuzzer decodes pictures of up to 4 megapixels. The replay, and the loader
// tests' files at the limit, still take the loader's own limit.
bool fuzzing = false;
constexpr std::int64_t kMaxFuzzedPixels = std::int64_t(4) * kMaxConvertedSide * kMaxConvertedSide;

// The recipe's bytes: flags, then the panel's sides and the crop as little-endian numbers, then
// a colour for the background and the key.
constexpr std::size_t kRecipeBytes = 20;
// A panel may be as long and thin as the limits allow, but no larger in area than this, so
// that a run stays short.
constexpr std::int64_t kMaxPanelPixels = std::int64_t(1) << 18;

std::uint32_t little(const std::uint8_t *bytes, int count)
{
    std::uint32_t value = 0;
    for (int i = count - 1; i >= 0; --i)
        value = value << 8 | bytes[i];
    return value;
}

// The recipe the bytes describe, or none when it would make a panel past the fuzzing limits.
std::optional<core::Recipe> recipeOf(const std::uint8_t *bytes, bool &words)
{
    core::Recipe recipe;
    const std::uint8_t flags = bytes[0], more = bytes[1];
    recipe.rotation = 90 * (flags >> 3 & 3);
    recipe.fitMode = core::FitMode((flags >> 6) % 3);
    recipe.dither = core::Dither(more % 3);
    recipe.byteOrder = more & 4 ? core::ByteOrder::Big : core::ByteOrder::Little;
    recipe.format = more & 8 ? core::OutputFormat::C : core::OutputFormat::Bin;
    words = (more & 16) != 0;
    recipe.alpha = flags & 2 ? core::AlphaMode::Blend : core::AlphaMode::Ignore;
    const core::Colour colour = core::rgb(bytes[17], bytes[18], bytes[19]);
    recipe.background = colour;
    if (flags & 4)
        recipe.colourKey = colour;
    if (flags & 32) {
        // Each side up to 2^22, the area bounded: strips of 262144 x 1 and 1 x 16384.
        const core::Size panel{int(1 + little(bytes + 2, 3) % (1 << 22)),
                               int(1 + little(bytes + 5, 3) % (1 << 22))};
        if ((std::int64_t(panel.width) + 15) / 16 * 16 * panel.height > kMaxPanelPixels)
            return std::nullopt;
        recipe.panel = panel;
    }
    if (flags & 1)
        recipe.crop = core::Rect{int(little(bytes + 8, 2)), int(little(bytes + 10, 2)),
                                 int(1 + little(bytes + 12, 2)), int(1 + little(bytes + 14, 2))};
    return recipe;
}

// Whether every pixel of the picture has one colour, alpha included.
bool flat(const core::PixelStore &picture)
{
    const std::uint32_t first = picture.row(0)[0];
    for (int y = 0; y < picture.height(); ++y)
        for (int x = 0; x < picture.width(); ++x)
            if (picture.row(y)[x] != first)
                return false;
    return true;
}

// The recipe on a loaded picture, as the command line applies it: the size it promises, the
// same bytes with and without the preview, the byte order a pure swap, C source that names
// every byte, and a flat picture fitted without dithering is still flat (on contain's bands).
void checkRecipe(core::PixelStore picture, const core::Recipe &recipe, bool words)
{
    const core::Size loaded = picture.size();
    const bool wasFlat = !picture.hasAlpha() && flat(picture);
    const core::Colour colour = picture.pixel(0, 0);
    core::PixelStore second = picture.copy();
    if (second.isNull())
        return;
    core::BinBuffer bin, again;
    const core::Message input{"input"};
    const auto applied = core::applyRecipe(picture, recipe, bin, true, input);
    if (!applied) {
        const core::Error &error = applied.error();
        if (!(error.subject == input) || error.reason.empty())
            fail("unclear recipe error:", error.reason.text ? error.reason.text : "");
        return;
    }
    if (picture.size() != core::shapedSize(loaded, recipe) ||
        bin.size() !=
            core::binSize(std::uint64_t(picture.width()), std::uint64_t(picture.height())))
        fail("the recipe made another size than it promised");
    core::Recipe lowFirst = recipe;
    lowFirst.byteOrder = core::ByteOrder::Little;
    if (!core::applyRecipe(second, lowFirst, again, false, input))
        return;
    if (recipe.byteOrder == core::ByteOrder::Big)
        core::applyByteOrder(again, core::ByteOrder::Big);
    if (again != bin)
        fail("the preview or the byte order changed the bytes");
    if (wasFlat && recipe.dither == core::Dither::None && !recipe.colourKey) {
        const core::Colour shown = core::quantise(colour).preview;
        const core::Colour band = core::quantise(recipe.background).preview;
        for (int y = 0; y < picture.height(); ++y)
            for (int x = 0; x < picture.width(); ++x)
                if (const core::Colour c = picture.pixel(x, y);
                    c != shown &&
                    (c != band || !recipe.panel || recipe.fitMode != core::FitMode::Contain))
                    fail("a flat picture came out with another colour:", core::colourWord(c));
    }
    if (recipe.format == core::OutputFormat::C) {
        const core::CFiles files = core::cSources({{"input", "input.png", picture.size(), bin}},
                                                  {recipe.byteOrder, words, "input", false});
        std::size_t elements = 0;
        for (std::size_t at = files.source.find("0x"); at != std::string::npos;
             at = files.source.find("0x", at + 2))
            ++elements;
        if (files.header.empty() || elements < bin.size() / (words ? 2 : 1))
            fail("the C source lacks bytes");
    }
}

// The fuzzer's own limit on a picture's size, before anything is allocated.
std::optional<core::Message> withinLimit(core::Size upright)
{
    if (std::int64_t(upright.width) * upright.height > kMaxFuzzedPixels)
        return core::Message{"too large"};
    return std::nullopt;
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    fuzzing = true;
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    if (size > kRecipeBytes && data[0] == 0) {
        bool words = false;
        const auto recipe = recipeOf(data + 1, words);
        if (!recipe)
            return 0;
        const core::ByteView bytes(data + 1 + kRecipeBytes, size - 1 - kRecipeBytes);
        if (auto loaded = core::loadForRecipe(bytes, {"input"}, *recipe, withinLimit))
            checkRecipe(std::move(loaded).value(), *recipe, words);
        return 0;
    }
    // The bytes as an APP1 segment's data too, which reaches the EXIF walk directly.
    if (unsigned(core::exifOrientation({data, size})) > 8)
        fail("EXIF orientation out of range");
    const core::ByteView bytes(data, size);
    const core::Message input{"input"};
    // Each frame is a copy of the whole screen, and a few bytes make a thousand frames: screens
    // are kept to the size of the corner converted below.
    const auto small = [](core::Size screen) -> std::optional<core::Message> {
        if (screen.width * screen.height > kMaxConvertedSide * kMaxConvertedSide)
            return core::Message{"too large"};
        return std::nullopt;
    };
    int frames = 0;
    const auto animation =
        core::decodeFrames(bytes, input, {small, {}, true},
                           [&](int index, core::PixelStore &frame) -> std::optional<core::Message> {
                               if (index != frames++ || frame.isNull())
                                   fail("frames handed over out of order");
                               return std::nullopt;
                           });
    if (animation && (animation.value() != frames || core::frameCount(bytes) != frames))
        fail("frameCount and decodeFrames disagree");
    core::LoadOptions limits;
    if (fuzzing)
        limits.checkSize = withinLimit;
    auto loaded = core::decodePicture(bytes, input, limits);
    if (!loaded) {
        const core::Error &error = loaded.error();
        const bool clear = error.subject == input && !error.reason.empty() &&
                           (error.kind == core::Error::Kind::CannotRead ||
                            error.kind == core::Error::Kind::OutOfMemory);
        if (!clear)
            fail("unclear load error:", error.reason.text ? error.reason.text : "");
        return 0;
    }

    if (loaded.value().isNull() || loaded.value().hasAlpha())
        fail("loaded picture is not a usable canvas");
    core::PixelStore picture = std::move(loaded).value();
    const core::Size corner{std::min(picture.width(), kMaxConvertedSide),
                            std::min(picture.height(), kMaxConvertedSide)};
    // Every pixel opaque, which memcheck also sees as every alpha byte written; so far for the
    // pictures of our own decoders: Qt's GIF reader can leave other bytes there in an RGB32
    // picture (crashes/gif_rgb32_with_alpha_bytes.gif), which the conversion ignores.
    const bool ours = core::isJpeg(bytes) || core::isBmp(bytes);
    for (int y = 0; ours && y < corner.height; ++y)
        for (int x = 0; x < corner.width; ++x)
            if (picture.row(y)[x] >> 24 != 0xFF)
                fail("loaded pixel is not opaque");
    if (corner != picture.size())
        picture = core::cropped(picture, {0, 0, corner.width, corner.height});

    auto plain = core::convertPicture(picture, false);
    if (!plain)
        return 0; // reported as OutOfMemory, which is what a machine short of memory should see
    const auto expected =
        core::binSize(std::uint64_t(picture.width()), std::uint64_t(picture.height()));
    if (plain.value().size() != expected)
        fail("BIN buffer has the wrong size");

    // The preview repaints each pixel in a colour of the same 565 code, so converting again,
    // during and after the preview, must give the very same bytes.
    for (const bool preview : {true, false}) {
        const auto repeated = core::convertPicture(picture, preview);
        if (!repeated || repeated.value() != plain.value())
            fail(preview ? "conversion with preview gives other bytes"
                         : "conversion of the preview gives other bytes");
    }
    checkBitmapRoundTrip(picture);
    return 0;
}
