#include "core/decode/bmp_decoder.h"
#include "core/message.h"

#include "core/decode/picture_limits.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cstdint>
#include <vector>

namespace core {

namespace {

using Byte = std::uint8_t;

constexpr std::uint32_t kBlack = 0xFF000000u;

constexpr std::uint32_t opaque(std::uint32_t red, std::uint32_t green, std::uint32_t blue)
{
    return kBlack | red << 16 | green << 8 | blue;
}

enum class Coding
{
    Plain,
    Rle8,
    Rle4,
    Rle24,
    Fields,
};

// One channel of a pixel word: where its bits lie and the 8-bit value of each of their values.
// A field of w bits with value v means round(v * 255 / (2^w - 1)), so that its largest value is
// 255 (5-5-5 and 5-6-5 white stay white) and a field made from 8-bit values gives them back.
struct Channel
{
    int shift = 0;
    std::uint64_t max = 0;      // of the value after the shift; 0 for a channel that is not there
    std::vector<Byte> level{0}; // for fields of up to 16 bits; wider ones are computed

    explicit Channel(std::uint32_t mask = 0)
    {
        if (mask == 0)
            return;
        shift = std::countr_zero(mask);
        max = mask >> shift;
        if (max > 0xFFFF)
            return;
        level.resize(max + 1);
        for (std::uint64_t v = 0; v <= max; ++v)
            level[v] = scaled(v);
    }

    Byte scaled(std::uint64_t v) const { return Byte((2 * v * 255 + max) / (2 * max)); }

    std::uint32_t operator()(std::uint32_t word) const
    {
        const std::uint64_t v = word >> shift & max;
        return max > 0xFFFF ? scaled(v) : level[v];
    }
};

// Where the header fields lie, in bytes from the file's start: the file header, then the info
// header, whose length is its first field and names its version. OS/2 1.x info headers (12
// bytes) have 16-bit sizes in places of their own; the fields from the compression on are in
// Windows headers of 40 bytes and more.
namespace field {
constexpr std::int64_t kPixelOffset = 10; // where the pixel data starts
constexpr std::int64_t kInfoHeader = 14;  // the info header's length, its first field
constexpr std::int64_t kWidth = 18;
constexpr std::int64_t kHeight = 22; // negative for rows from the top
constexpr std::int64_t kBitCount = 28;
constexpr std::int64_t kCompression = 30;
constexpr std::int64_t kColoursUsed = 46; // the palette's length; 0 for all the bits allow
constexpr std::int64_t kMasks = 54;       // red, green, blue, in info headers of 52 bytes on
constexpr std::int64_t kOs2Width = 18;
constexpr std::int64_t kOs2Height = 20;
constexpr std::int64_t kOs2BitCount = 24;
} // namespace field

// The header's fields as the file gives them.
struct Header
{
    std::uint32_t infoSize = 0;
    std::int64_t width = 0;
    std::int64_t height = 0;
    int bits = 0;
    std::uint32_t compression = 0;
    std::uint32_t coloursUsed = 0;
    std::int64_t dataOffset = 0;

    std::int64_t infoEnd() const { return field::kInfoHeader + std::int64_t(infoSize); }
    bool os2() const { return infoSize == 12; }
    bool os2v2() const { return infoSize == 16 || infoSize == 64; }
};

struct Layout
{
    std::int64_t width = 0;
    std::int64_t rows = 0;
    bool topDown = false;
    int bits = 0;
    Coding coding = Coding::Plain;
    std::int64_t dataOffset = 0;
    std::int64_t masksEnd = 0;            // where the palette starts
    std::array<std::uint32_t, 4> masks{}; // red, green, blue, alpha (0: opaque)
    std::array<std::uint32_t, 256> palette{};
};

class Reader
{
public:
    explicit Reader(ByteView file)
        : m_bytes(file.data())
    {}

    std::uint32_t u16(std::int64_t at) const
    {
        return std::uint32_t(m_bytes[at]) | std::uint32_t(m_bytes[at + 1]) << 8;
    }
    std::uint32_t u32(std::int64_t at) const { return u16(at) | u16(at + 2) << 16; }

private:
    const Byte *m_bytes;
};

Error refusal(const Message &name, Message reason)
{
    return Error{Error::Kind::CannotRead, name, std::move(reason)};
}

Message endsEarly(std::int64_t size, std::int64_t needed)
{
    return message(VTR("core", "the file ends after %1 bytes, but its header describes %2"), size,
                   needed);
}

Message headerCut()
{
    return message(VTR("core", "the file ends inside its BMP header"));
}

Message startsInHeader()
{
    return message(VTR("core", "the picture data of the BMP starts inside its header"));
}

std::string hex(std::uint32_t value)
{
    static const char digits[] = "0123456789abcdef";
    std::string text;
    do {
        text.insert(text.begin(), digits[value & 0xF]);
        value >>= 4;
    } while (value != 0);
    return text;
}

// A channel mask that is not one run of bits, or reaches past a 16-bit pixel.
Message badMask(std::size_t channel, std::uint32_t mask, bool past16Bits)
{
    static const char *const broken[] = {
        VTR("core", "the red mask of the BMP (0x%1) is not one run of bits"),
        VTR("core", "the green mask of the BMP (0x%1) is not one run of bits"),
        VTR("core", "the blue mask of the BMP (0x%1) is not one run of bits"),
        VTR("core", "the alpha mask of the BMP (0x%1) is not one run of bits")};
    static const char *const wide[] = {
        VTR("core", "the red mask of the BMP (0x%1) reaches past the 16 bits of a pixel"),
        VTR("core", "the green mask of the BMP (0x%1) reaches past the 16 bits of a pixel"),
        VTR("core", "the blue mask of the BMP (0x%1) reaches past the 16 bits of a pixel"),
        VTR("core", "the alpha mask of the BMP (0x%1) reaches past the 16 bits of a pixel")};
    return message((past16Bits ? wide : broken)[channel], hex(mask));
}

// The fields of a header of a length this program knows, all inside the file.
Expected<Header> readHeader(ByteView file, const Message &name)
{
    const auto size = std::int64_t(file.size());
    if (size < field::kInfoHeader + 4)
        return refusal(name, headerCut());
    const Reader in(file);
    Header header;
    header.infoSize = in.u32(field::kInfoHeader);
    // 12: OS/2 1.x; 16 and 64: OS/2 2.x; the others Windows' successive versions.
    static constexpr std::uint32_t known[] = {12, 16, 40, 52, 56, 64, 108, 124};
    if (std::find(std::begin(known), std::end(known), header.infoSize) == std::end(known))
        return refusal(name,
                       message(VTR("core", "a BMP info header of %1 bytes is not a layout this "
                                           "program knows"),
                               header.infoSize));
    if (size < header.infoEnd())
        return refusal(name, headerCut());

    header.dataOffset = in.u32(field::kPixelOffset);
    if (header.os2()) {
        header.width = in.u16(field::kOs2Width);
        header.height = in.u16(field::kOs2Height);
        header.bits = int(in.u16(field::kOs2BitCount));
        return header;
    }
    header.width = std::int32_t(in.u32(field::kWidth));
    header.height = std::int32_t(in.u32(field::kHeight));
    header.bits = int(in.u16(field::kBitCount));
    if (header.infoSize >= 40) {
        header.compression = in.u32(field::kCompression);
        header.coloursUsed = in.u32(field::kColoursUsed);
    }
    return header;
}

// The coding that the compression field names (the codes 3 and 4 mean other things to OS/2
// than to Windows) and where the masks that follow some headers end. A wrapped JPEG or PNG
// picture comes back in `wrapped`, with the layout's coding left as it was.
Expected<void> readCoding(ByteView file, const Message &name, const Header &header, Layout &layout,
                          BmpPicture &wrapped)
{
    const std::int64_t infoEnd = header.infoEnd();
    layout.masksEnd = infoEnd;
    switch (header.compression) {
    case 0:
        return {};
    case 1:
        layout.coding = Coding::Rle8;
        return {};
    case 2:
        layout.coding = Coding::Rle4;
        return {};
    case 3:
        if (header.os2v2())
            return refusal(name,
                           message(VTR("core", "an OS/2 Huffman-coded BMP is not supported")));
        layout.coding = Coding::Fields;
        layout.masksEnd = header.infoSize == 40 ? infoEnd + 12 : infoEnd;
        return {};
    case 4:
        if (header.os2v2()) {
            layout.coding = Coding::Rle24;
            return {};
        }
        [[fallthrough]];
    case 5:
        if (header.dataOffset < infoEnd)
            return refusal(name, startsInHeader());
        if (header.dataOffset >= std::int64_t(file.size()))
            return refusal(name, endsEarly(std::int64_t(file.size()), header.dataOffset + 1));
        wrapped.embedded = file.subspan(std::size_t(header.dataOffset));
        wrapped.embeddedFormat = header.compression == 4 ? "jpeg" : "png";
        return {};
    case 6:
        layout.coding = Coding::Fields;
        layout.masksEnd = header.infoSize == 40 ? infoEnd + 16 : infoEnd;
        return {};
    case 11:
    case 12:
    case 13:
        return refusal(name, message(VTR("core", "a BMP with CMYK colours is not supported")));
    default:
        return refusal(name,
                       message(VTR("core", "a BMP with compression method %1 is not supported"),
                               header.compression));
    }
}

// Whether the bits a pixel, the coding and the size make a picture this decoder can read.
Expected<void> checkPixels(const Message &name, const Header &header, const Layout &layout)
{
    const int bits = layout.bits;
    const bool plainBits =
        bits == 1 || bits == 2 || bits == 4 || bits == 8 || bits == 16 || bits == 24 || bits == 32;
    if (layout.coding == Coding::Plain && bits == 64)
        return refusal(name, message(VTR("core", "a BMP of 64 bits a pixel is not supported")));
    if (!plainBits)
        return refusal(name, message(VTR("core", "a BMP of %1 bits a pixel is not valid"), bits));
    if ((layout.coding == Coding::Rle8 && bits != 8) ||
        (layout.coding == Coding::Rle4 && bits != 4) ||
        (layout.coding == Coding::Rle24 && bits != 24))
        return refusal(name,
                       message(VTR("core", "run-length coding is not valid for a BMP of %1 bits "
                                           "a pixel"),
                               bits));
    if (layout.coding == Coding::Fields && bits != 16 && bits != 32)
        return refusal(name, message(VTR("core", "channel masks are not valid for a BMP of %1 bits "
                                                 "a pixel"),
                                     bits));
    if (layout.width <= 0 || layout.rows == 0)
        return refusal(name, message(VTR("core", "a BMP of %1 x %2 pixels holds no picture"),
                                     layout.width, header.height));
    if (layout.topDown && layout.coding != Coding::Plain && layout.coding != Coding::Fields)
        return refusal(name,
                       message(VTR("core", "a BMP with rows from the top cannot be run-length "
                                           "coded")));
    if (auto tooLarge = sizeRefusal(layout.width, layout.rows))
        return refusal(name, std::move(*tooLarge));
    return {};
}

// The channel masks: after the header or inside it, or the defaults for 16 and 32 bits, which
// have no alpha. An alpha mask follows the colour masks in Windows headers of 56 bytes and more,
// and after a header of 40 for BI_ALPHABITFIELDS.
Expected<void> readMasks(ByteView file, const Message &name, const Header &header, Layout &layout)
{
    if (layout.coding != Coding::Fields) {
        if (layout.bits == 16)
            layout.masks = {0x7C00, 0x03E0, 0x001F, 0};
        else if (layout.bits == 32)
            layout.masks = {0xFF0000, 0xFF00, 0xFF, 0};
        return {};
    }
    const Reader in(file);
    const std::int64_t first =
        layout.masksEnd == header.infoEnd() ? field::kMasks : header.infoEnd();
    const bool alpha = (header.infoSize == 40 && header.compression == 6) ||
                       (header.infoSize >= 56 && !header.os2v2());
    for (std::size_t c = 0; c < (alpha ? 4 : 3); ++c) {
        const std::uint32_t mask = in.u32(first + 4 * std::int64_t(c));
        const std::uint32_t run = mask >> std::countr_zero(mask | 0x80000000u);
        if ((run & (run + 1)) != 0)
            return refusal(name, badMask(c, mask, false));
        if (layout.bits == 16 && mask > 0xFFFF)
            return refusal(name, badMask(c, mask, true));
        layout.masks[c] = mask;
    }
    return {};
}

// Only as many colours as lie between the header and the pixels: OS/2 files especially give
// no count. Indexes past the palette's end are black. A palette with no room at all is
// refused: every pixel would be black, which is the file's mistake, not its picture.
Expected<void> readPalette(ByteView file, const Message &name, const Header &header, Layout &layout)
{
    layout.palette.fill(kBlack);
    if (layout.bits > 8)
        return {};
    const std::int64_t entrySize = header.os2() ? 3 : 4;
    std::int64_t count = std::int64_t(1) << layout.bits;
    if (header.coloursUsed != 0 && header.coloursUsed < count)
        count = header.coloursUsed;
    count = std::min(count, (layout.dataOffset - layout.masksEnd) / entrySize);
    if (count <= 0)
        return refusal(name,
                       message(VTR("core", "the BMP has no palette: its pixel data starts at byte "
                                           "%1, where the palette belongs"),
                               layout.dataOffset));
    const Byte *entry = file.data() + layout.masksEnd;
    for (std::int64_t i = 0; i < count; ++i, entry += entrySize)
        layout.palette[std::size_t(i)] = opaque(entry[2], entry[1], entry[0]);
    return {};
}

// The header, checked far enough that decoding it can no longer fail but for memory. A file
// that wraps a JPEG or PNG picture comes back as that picture's bytes instead.
Expected<Layout> readLayout(ByteView file, const Message &name, BmpPicture &wrapped)
{
    const auto header = readHeader(file, name);
    if (!header)
        return header.error();
    const Header &h = header.value();
    Layout layout;
    layout.width = h.width;
    layout.rows = h.height < 0 ? -h.height : h.height;
    layout.topDown = h.height < 0;
    layout.bits = h.bits;
    layout.dataOffset = h.dataOffset;
    if (const auto coding = readCoding(file, name, h, layout, wrapped); !coding)
        return coding.error();
    if (!wrapped.embeddedFormat.empty())
        return layout;
    if (const auto pixels = checkPixels(name, h, layout); !pixels)
        return pixels.error();

    const auto size = std::int64_t(file.size());
    if (size < layout.masksEnd)
        return refusal(name, headerCut());
    if (layout.dataOffset < h.infoEnd())
        return refusal(name, startsInHeader());
    if (layout.dataOffset > size)
        return refusal(name, endsEarly(size, layout.dataOffset));
    if (const auto masks = readMasks(file, name, h, layout); !masks)
        return masks.error();
    if (const auto palette = readPalette(file, name, h, layout); !palette)
        return palette.error();
    return layout;
}

// Uncompressed rows, each padded to four bytes, bottom-up unless the height was negative.
// Some writers leave out the last row's padding; its pixels are all there, so that is fine.
// Alpha, where the masks give it, only when the image has it.
Expected<void> decodePlain(ByteView file, const Message &name, const Layout &layout,
                           PixelStore &image)
{
    const int bits = layout.bits;
    const std::int64_t width = layout.width;
    const std::int64_t rowBytes = (width * bits + 31) / 32 * 4;
    const std::int64_t needed =
        layout.dataOffset + rowBytes * (layout.rows - 1) + (width * bits + 7) / 8;
    if (needed > std::int64_t(file.size()))
        return refusal(name, endsEarly(std::int64_t(file.size()), needed));

    const Channel red(layout.masks[0]), green(layout.masks[1]), blue(layout.masks[2]);
    const Channel alpha(image.hasAlpha() ? layout.masks[3] : 0);
    const std::uint32_t opaqueBits = image.hasAlpha() ? 0 : kBlack;
    const bool bgr32 = bits == 32 && layout.masks[0] == 0xFF0000 && layout.masks[1] == 0xFF00 &&
                       layout.masks[2] == 0xFF;
    // The bytes B, G, R, A: the store's word 0xAARRGGBB.
    const bool argb32 = bgr32 && image.hasAlpha() && layout.masks[3] == 0xFF000000u;
    const bool plain32 = bgr32 && !image.hasAlpha();
    const auto &palette = layout.palette;
    const Byte *data = file.data() + layout.dataOffset;
    for (std::int64_t r = 0; r < layout.rows; ++r) {
        const Byte *in = data + r * rowBytes;
        std::uint32_t *out = image.row(int(layout.topDown ? r : layout.rows - 1 - r));
        if (bits == 8) {
            for (std::int64_t x = 0; x < width; ++x)
                out[x] = palette[in[x]];
        } else if (bits < 8) {
            const int perByte = 8 / bits;
            const unsigned mask = (1u << bits) - 1;
            for (std::int64_t x = 0; x < width; ++x) {
                const int shift = 8 - bits * int(x % perByte + 1);
                out[x] = palette[in[x / perByte] >> shift & mask];
            }
        } else if (bits == 24) {
            for (std::int64_t x = 0; x < width; ++x, in += 3)
                out[x] = opaque(in[2], in[1], in[0]);
        } else if (plain32) {
            for (std::int64_t x = 0; x < width; ++x, in += 4)
                out[x] = opaque(in[2], in[1], in[0]);
        } else if (bits == 32) {
            for (std::int64_t x = 0; x < width; ++x, in += 4) {
                const std::uint32_t word = std::uint32_t(in[0]) | std::uint32_t(in[1]) << 8 |
                                           std::uint32_t(in[2]) << 16 | std::uint32_t(in[3]) << 24;
                out[x] = argb32 ? word
                                : opaqueBits | alpha(word) << 24 | red(word) << 16 |
                                      green(word) << 8 | blue(word);
            }
        } else {
            for (std::int64_t x = 0; x < width; ++x, in += 2) {
                const std::uint32_t word = std::uint32_t(in[0]) | std::uint32_t(in[1]) << 8;
                out[x] = opaqueBits | alpha(word) << 24 | red(word) << 16 | green(word) << 8 |
                         blue(word);
            }
        }
    }
    return {};
}

// Run-length codes: a count and a value, or after a zero count an escape: end of row, end of
// picture, a move, or a literal stretch padded to an even length. Pixels the codes skip stay
// black, and runs stop at the end of their row.
Expected<void> decodeRle(ByteView file, const Message &name, const Layout &layout,
                         PixelStore &image)
{
    for (int y = 0; y < image.height(); ++y)
        std::fill_n(image.row(y), image.width(), kBlack);
    const Byte *data = file.data();
    const auto n = std::int64_t(file.size());
    const std::int64_t width = layout.width;
    const std::int64_t valueBytes = layout.coding == Coding::Rle24 ? 3 : 1;
    const auto &palette = layout.palette;

    std::int64_t at = layout.dataOffset;
    std::int64_t x = 0;
    std::int64_t row = 0;
    std::uint32_t *out = nullptr;
    const auto seekRow = [&] {
        out = row < layout.rows ? image.row(int(layout.rows - 1 - row)) : nullptr;
    };
    // The colour of pixel i of a stretch whose values start at `from`.
    const auto colour = [&](const Byte *from, std::int64_t i) -> std::uint32_t {
        switch (layout.coding) {
        case Coding::Rle4:
            return palette[i % 2 ? from[i / 2] & 0x0F : from[i / 2] >> 4];
        case Coding::Rle24:
            return opaque(from[3 * i + 2], from[3 * i + 1], from[3 * i]);
        default:
            return palette[from[i]];
        }
    };
    // Some writers end the last row without any code after it.
    const auto dataEnds = [&]() -> Expected<void> {
        if (row >= layout.rows || (row == layout.rows - 1 && x >= width))
            return {};
        return refusal(name,
                       message(VTR("core", "the run-length pixel data ends before its last row "
                                           "(the file is incomplete)")));
    };

    seekRow();
    while (row < layout.rows) {
        if (at + 2 > n)
            return dataEnds();
        const Byte count = data[at];
        if (count != 0) {
            if (at + 1 + valueBytes > n)
                return dataEnds();
            const Byte *value = data + at + 1;
            at += 1 + valueBytes;
            const std::int64_t end = std::min(x + count, width);
            for (std::int64_t i = 0; x + i < end; ++i)
                out[x + i] = colour(value, layout.coding == Coding::Rle4 ? i % 2 : 0);
            x += count;
            continue;
        }
        const Byte code = data[at + 1];
        at += 2;
        if (code == 0) {
            x = 0;
            ++row;
            seekRow();
        } else if (code == 1) {
            return {};
        } else if (code == 2) {
            if (at + 2 > n)
                return dataEnds();
            x += data[at];
            row += data[at + 1];
            at += 2;
            seekRow();
        } else {
            const std::int64_t bytes = layout.coding == Coding::Rle4    ? (code + 1) / 2
                                       : layout.coding == Coding::Rle24 ? 3 * code
                                                                        : code;
            if (at + bytes > n)
                return dataEnds();
            for (std::int64_t i = 0; i < code && x < width; ++i, ++x)
                out[x] = colour(data + at, i);
            at += bytes + bytes % 2;
        }
    }
    return {};
}

bool noAlpha(const PixelStore &pixels)
{
    for (int y = 0; y < pixels.height(); ++y)
        for (int x = 0; x < pixels.width(); ++x)
            if (pixels.row(y)[x] >> 24 != 0)
                return false;
    return true;
}

} // namespace

bool isBmp(ByteView file)
{
    return file.size() >= 2 && file[0] == 'B' && file[1] == 'M';
}

Expected<BmpPicture> decodeBmp(ByteView file, const Message &name, const LoadOptions &options)
{
    BmpPicture picture;
    auto read = readLayout(file, name, picture);
    if (!read)
        return read.error();
    if (!picture.embeddedFormat.empty())
        return picture;
    const Layout &layout = read.value();
    if (options.checkSize)
        if (auto refused = options.checkSize(Size{int(layout.width), int(layout.rows)}))
            return refusal(name, std::move(*refused));

    picture.pixels = PixelStore::allocate(int(layout.width), int(layout.rows));
    if (picture.pixels.isNull())
        return Error{Error::Kind::OutOfMemory, name,
                     message(VTR("core", "the picture does not fit into memory"))};
    PixelStore &pixels = picture.pixels;
    pixels.setHasAlpha(options.keepAlpha && layout.masks[3] != 0);
    const auto decoded = layout.coding == Coding::Plain || layout.coding == Coding::Fields
                             ? decodePlain(file, name, layout, pixels)
                             : decodeRle(file, name, layout, pixels);
    if (!decoded)
        return decoded.error();
    // Some writers give an alpha mask and leave every alpha value 0: such a picture is meant to
    // be opaque, and web browsers show it so.
    if (pixels.hasAlpha() && noAlpha(pixels))
        pixels.dropAlpha();
    return picture;
}

} // namespace core
