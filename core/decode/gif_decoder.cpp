#include "core/decode/gif_decoder.h"

#include "core/decode/picture_limits.h"
#include "core/message.h"

#include <gif_lib.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstring>
#include <vector>

namespace core {

namespace {

constexpr std::uint32_t kBlack = 0xFF000000u;
constexpr int kMaxCodes = 4096; // LZW codes have at most 12 bits
// Its roots and two codes of their own must fit into 12 bits; a code size of 0 makes codes too
// narrow for their own end code, and decoders disagree on what follows.
constexpr int kMinCodeSize = 1;
constexpr int kMaxCodeSize = 11;

// giflib pulls the bytes through this.
struct Input
{
    const std::uint8_t *data = nullptr;
    std::size_t size = 0;
    std::size_t at = 0;

    static int read(GifFileType *gif, GifByteType *to, int wanted)
    {
        auto &in = *static_cast<Input *>(gif->UserData);
        const int given =
            int(std::min<std::size_t>(std::size_t(std::max(wanted, 0)), in.size - in.at));
        std::memcpy(to, in.data + in.at, std::size_t(std::max(given, 0)));
        in.at += given;
        return given;
    }
};

GifFileType *openGif(Input &input, int &error)
{
    return DGifOpen(&input, &Input::read, &error);
}

void closeGif(GifFileType *gif)
{
    if (gif)
        DGifCloseFile(gif, nullptr);
}

// giflib reads a frame's header and colour table, and then refuses an LZW code size above 8
// right after reading it (the only failure that leaves bytes unread); the frame's data, which
// starts there, is ours to read either way.
bool readFrameHeader(GifFileType *gif, const Input &input)
{
    return DGifGetImageHeader(gif) == GIF_OK ||
           (gif->Error == D_GIF_ERR_READ_FAILED && input.at > 0 && input.at < input.size &&
            input.data[input.at - 1] > 8);
}

// A frame's LZW codes, least significant bit first, from its chain of data blocks (each a
// length byte and that many bytes, the last one empty), straight from the file's bytes.
class CodeReader
{
public:
    static constexpr int kEnded = -1; // the empty block, with codes still to come
    static constexpr int kCut = -2;   // the end of the file

    explicit CodeReader(Input &input)
        : m_in(input)
    {}

    // The next code of `width` bits, or kEnded or kCut.
    int read(int width)
    {
        while (m_held < width) {
            if (m_left == 0) {
                if (m_in.at >= m_in.size)
                    return kCut;
                m_left = m_in.data[m_in.at++];
                if (m_left == 0)
                    return kEnded;
            }
            if (m_in.at >= m_in.size)
                return kCut;
            m_bits |= std::uint32_t(m_in.data[m_in.at++]) << m_held;
            m_held += 8;
            --m_left;
        }
        const int code = int(m_bits & ((1u << width) - 1));
        m_bits >>= width;
        m_held -= width;
        return code;
    }

    // Past the rest of the data, up to and including its empty block; false at the file's end.
    bool skipRest()
    {
        for (;;) {
            if (m_left > m_in.size - m_in.at) {
                m_in.at = m_in.size;
                return false;
            }
            m_in.at += m_left;
            if (m_in.at >= m_in.size)
                return false;
            m_left = m_in.data[m_in.at++];
            if (m_left == 0)
                return true;
        }
    }

private:
    Input &m_in;
    std::size_t m_left = 0; // bytes left in the current block
    std::uint32_t m_bits = 0;
    int m_held = 0;
};

} // namespace

struct GifDecoder::State
{
    Input input;
    GifFileType *gif = nullptr;
    Message name;
    LoadOptions options;
    PixelStore screen;
    int frames = 0;
    std::uint32_t background = kBlack;
    // What the frame shown last asked to be done with its area before the next one.
    Rect shown;
    int disposal = 0;
    PixelStore under;
    // The LZW table: each code's string is its prefix code's string and one more index. An
    // index is below 2^11 (the largest code size read), past any colour table beyond 255.
    std::array<std::uint16_t, kMaxCodes> prefix{};
    std::array<std::uint16_t, kMaxCodes> suffix{};
    std::array<std::uint16_t, kMaxCodes> first{};
    std::array<std::uint16_t, kMaxCodes + 1> stack{};
    std::vector<std::uint16_t> line;

    ~State() { closeGif(gif); }

    Error refusal(Message reason) const
    {
        return Error{Error::Kind::CannotRead, name, std::move(reason)};
    }
    Error outOfMemory() const
    {
        return Error{Error::Kind::OutOfMemory, name,
                     message(VTR("core", "the picture does not fit into memory"))};
    }
    Error damaged() const
    {
        return refusal(message(VTR("core", "the compressed pixel data of the GIF is damaged")));
    }
    Error cut() const
    {
        return refusal(
            message(VTR("core", "the GIF data ends inside its picture (the file is incomplete)")));
    }
    // giflib's last error, in the program's words.
    Error failure(int code) const
    {
        if (code == D_GIF_ERR_NOT_ENOUGH_MEM)
            return outOfMemory();
        if (input.at >= input.size)
            return cut();
        return refusal(message(VTR("core", "the GIF data is damaged")));
    }

    Expected<void> makeScreen(const GifImageDesc &frame, bool transparent);
    void dispose();
    Expected<void> draw(const GifImageDesc &frame, int transparent, int disposalAfter);
    Expected<void> decodeRows(const GifImageDesc &frame, int codeSize, Rect area,
                              const std::array<std::uint32_t, kMaxCodes / 2> &colours, int skipped);
};

// The screen takes the first frame's edge where the header gives no size, as other viewers do.
Expected<void> GifDecoder::State::makeScreen(const GifImageDesc &frame, bool transparent)
{
    const std::int64_t width = gif->SWidth > 0 ? gif->SWidth : frame.Left + frame.Width;
    const std::int64_t height = gif->SHeight > 0 ? gif->SHeight : frame.Top + frame.Height;
    if (width <= 0 || height <= 0)
        return refusal(message(VTR("core", "the GIF file holds no picture")));
    std::optional<Message> refused = sizeRefusal(width, height);
    if (!refused && options.checkSize)
        refused = options.checkSize(Size{int(width), int(height)});
    if (refused)
        return refusal(std::move(*refused));
    screen = PixelStore::allocate(int(width), int(height));
    if (screen.isNull())
        return outOfMemory();

    const ColorMapObject *map = gif->SColorMap;
    const int index = gif->SBackGroundColor;
    if (map && index >= 0 && index < map->ColorCount) {
        const GifColorType &c = map->Colors[index];
        background = kBlack | std::uint32_t(c.Red) << 16 | std::uint32_t(c.Green) << 8 | c.Blue;
    }
    const bool alpha = options.keepAlpha && transparent;
    if (alpha)
        background &= 0x00FFFFFFu;
    screen.setHasAlpha(alpha);
    std::fill_n(screen.row(0), screen.width(), background);
    for (int y = 1; y < screen.height(); ++y)
        std::memcpy(screen.row(y), screen.row(0), 4 * std::size_t(screen.width()));
    return {};
}

// What the frame shown last asked for: its area back to the background, or to what was there
// before it; anything else leaves it.
void GifDecoder::State::dispose()
{
    for (int y = shown.y; y < shown.bottom(); ++y) {
        std::uint32_t *row = screen.row(y) + shown.x;
        if (disposal == DISPOSE_BACKGROUND)
            std::fill_n(row, shown.width, background);
        else if (disposal == DISPOSE_PREVIOUS)
            std::copy_n(under.row(y - shown.y), shown.width, row);
    }
    disposal = DISPOSAL_UNSPECIFIED;
}

Expected<void> GifDecoder::State::draw(const GifImageDesc &frame, int transparent,
                                       int disposalAfter)
{
    // giflib keeps the LZW code size to itself: it is the byte it read last.
    const int codeSize = input.data[input.at - 1];
    if (codeSize < kMinCodeSize || codeSize > kMaxCodeSize)
        return refusal(
            message(VTR("core", "the LZW minimum code size of the GIF is %1; only %2 to %3 can "
                                "be decoded"),
                    codeSize, kMinCodeSize, kMaxCodeSize));
    if (frames == 0) {
        if (auto made = makeScreen(frame, transparent >= 0); !made)
            return made;
    } else {
        dispose();
    }
    const Rect area = intersected({frame.Left, frame.Top, frame.Width, frame.Height},
                                  {0, 0, screen.width(), screen.height()});
    if (disposalAfter == DISPOSE_PREVIOUS && !area.isEmpty()) {
        under = PixelStore::allocate(area.width, area.height);
        if (under.isNull())
            return outOfMemory();
        for (int y = area.y; y < area.bottom(); ++y)
            std::copy_n(screen.row(y) + area.x, area.width, under.row(y - area.y));
    }
    shown = area;
    disposal = disposalAfter;

    // Indexes past the colour table are black. Of the first frame, transparent pixels keep
    // their colour, as the stored colour of a transparent pixel; later frames leave the screen
    // under them.
    std::array<std::uint32_t, kMaxCodes / 2> colours;
    colours.fill(kBlack);
    const ColorMapObject *map = frame.ColorMap ? frame.ColorMap : gif->SColorMap;
    for (int i = 0; map && i < std::min(map->ColorCount, 256); ++i) {
        const GifColorType &c = map->Colors[i];
        colours[std::size_t(i)] =
            kBlack | std::uint32_t(c.Red) << 16 | std::uint32_t(c.Green) << 8 | c.Blue;
    }
    int skipped = -1;
    if (transparent >= 0 && frames == 0 && options.keepAlpha)
        colours[std::size_t(transparent)] &= 0x00FFFFFFu;
    else if (transparent >= 0 && frames > 0)
        skipped = transparent;
    return decodeRows(frame, codeSize, area, colours, skipped);
}

// The frame's rows, in the file's order (interlaced: every 8th row from 0, every 8th from 4,
// every 4th from 2, every 2nd from 1), each put on the screen as soon as it is whole.
Expected<void>
GifDecoder::State::decodeRows(const GifImageDesc &frame, int codeSize, Rect area,
                              const std::array<std::uint32_t, kMaxCodes / 2> &colours, int skipped)
{
    static constexpr int kStart[4] = {0, 4, 2, 1};
    static constexpr int kStep[4] = {8, 8, 4, 2};
    const int width = frame.Width;
    const int height = frame.Height;
    CodeReader codes(input);
    if (width == 0 || height == 0)
        return codes.skipRest() ? Expected<void>() : cut();
    line.resize(std::size_t(width));
    int x = 0, rowsDone = 0, y = 0, pass = 0;
    const auto putRow = [&] {
        const int screenY = frame.Top + y;
        if (screenY >= area.y && screenY < area.bottom()) {
            std::uint32_t *out = screen.row(screenY) + area.x;
            const std::uint16_t *in = line.data() + (area.x - frame.Left);
            for (int i = 0; i < area.width; ++i)
                if (in[i] != skipped)
                    out[i] = colours[in[i]];
        }
        ++rowsDone;
        y += frame.Interlace ? kStep[pass] : 1;
        while (frame.Interlace && y >= height && pass < 3)
            y = kStart[++pass];
    };

    // Codes start one bit wider than the code size and grow by one bit, up to 12, each time the
    // table fills the codes of the width so far.
    const int clear = 1 << codeSize;
    for (int i = 0; i < clear; ++i)
        first[std::size_t(i)] = std::uint16_t(i);
    int bits = codeSize + 1;
    int next = clear + 2;
    int previous = -1;
    while (rowsDone < height) {
        const int code = codes.read(bits);
        if (code == CodeReader::kCut)
            return cut();
        if (code == CodeReader::kEnded || code == clear + 1) // before the last pixel
            return damaged();
        if (code == clear) {
            bits = codeSize + 1;
            next = clear + 2;
            previous = -1;
            continue;
        }
        // A code is a root index, a string in the table, or (code == next) the previous
        // string and its own first index; anything else cannot be decoded.
        const bool known = previous < 0 ? code < clear : code < next;
        if (!known && (previous < 0 || code != next || next >= kMaxCodes))
            return damaged();
        std::size_t top = 0;
        int walk = code;
        if (!known) {
            stack[top++] = first[std::size_t(previous)];
            walk = previous;
        }
        for (; walk >= clear; walk = prefix[std::size_t(walk)])
            stack[top++] = suffix[std::size_t(walk)];
        stack[top++] = std::uint16_t(walk);
        if (previous >= 0 && next < kMaxCodes) {
            prefix[std::size_t(next)] = std::uint16_t(previous);
            suffix[std::size_t(next)] = std::uint16_t(walk);
            first[std::size_t(next)] = first[std::size_t(previous)];
            ++next;
        }
        previous = code;
        if (next == 1 << bits && bits < 12)
            ++bits;
        // Indexes past the frame's last pixel are dropped.
        while (top > 0 && rowsDone < height) {
            line[std::size_t(x)] = stack[--top];
            if (++x == width) {
                putRow();
                x = 0;
            }
        }
    }
    return codes.skipRest() ? Expected<void>() : cut();
}

GifDecoder::GifDecoder(std::unique_ptr<State> state)
    : m_state(std::move(state))
{}
GifDecoder::GifDecoder(GifDecoder &&) noexcept = default;
GifDecoder &GifDecoder::operator=(GifDecoder &&) noexcept = default;
GifDecoder::~GifDecoder() = default;

Expected<GifDecoder> GifDecoder::open(ByteView file, const Message &name,
                                      const LoadOptions &options)
{
    auto state = std::make_unique<State>();
    state->input = {file.data(), file.size(), 0};
    state->name = name;
    state->options = options;
    int error = 0;
    state->gif = openGif(state->input, error);
    if (!state->gif)
        return state->failure(error);
    return GifDecoder(std::move(state));
}

PixelStore &GifDecoder::screen()
{
    return m_state->screen;
}

Expected<bool> GifDecoder::next()
{
    State &s = *m_state;
    GifFileType *gif = s.gif;
    int disposal = DISPOSAL_UNSPECIFIED;
    int transparent = -1;
    for (;;) {
        if (s.frames > 0 && s.input.at == s.input.size)
            return false; // no trailer, but nothing cut either
        GifRecordType type = UNDEFINED_RECORD_TYPE;
        if (DGifGetRecordType(gif, &type) == GIF_ERROR)
            return s.failure(gif->Error);
        if (type == TERMINATE_RECORD_TYPE) {
            if (s.frames == 0)
                return s.refusal(message(VTR("core", "the GIF file holds no picture")));
            return false;
        }
        if (type == EXTENSION_RECORD_TYPE) {
            int label = 0;
            GifByteType *block = nullptr;
            if (DGifGetExtension(gif, &label, &block) == GIF_ERROR)
                return s.failure(gif->Error);
            // The graphic control block: the next frame's disposal and transparent colour.
            if (label == GRAPHICS_EXT_FUNC_CODE && block && block[0] >= 4) {
                disposal = block[1] >> 2 & 7;
                transparent = block[1] & 1 ? block[4] : -1;
            }
            while (block)
                if (DGifGetExtensionNext(gif, &block) == GIF_ERROR)
                    return s.failure(gif->Error);
            continue;
        }
        // Not DGifGetImageDesc: it keeps a copy of every frame's header until the file is closed.
        if (!readFrameHeader(gif, s.input))
            return s.failure(gif->Error);
        if (auto drawn = s.draw(gif->Image, transparent, disposal); !drawn)
            return drawn.error();
        ++s.frames;
        return true;
    }
}

Expected<PixelStore> decodeGif(ByteView file, const Message &name, const LoadOptions &options)
{
    auto gif = GifDecoder::open(file, name, options);
    if (!gif)
        return gif.error();
    if (auto first = gif.value().next(); !first)
        return first.error();
    return std::move(gif.value().screen());
}

bool isGif(ByteView file)
{
    return file.size() >= 6 && (std::memcmp(file.data(), "GIF87a", 6) == 0 ||
                                std::memcmp(file.data(), "GIF89a", 6) == 0);
}

int countGifFrames(ByteView file)
{
    if (!isGif(file))
        return 0;
    Input input{file.data(), file.size(), 0};
    int error = 0;
    const std::unique_ptr<GifFileType, decltype(&closeGif)> owner(openGif(input, error), &closeGif);
    GifFileType *gif = owner.get();
    int frames = 0;
    GifRecordType type = UNDEFINED_RECORD_TYPE;
    while (gif && DGifGetRecordType(gif, &type) == GIF_OK && type != TERMINATE_RECORD_TYPE) {
        int label = 0;
        GifByteType *block = nullptr;
        if (type == EXTENSION_RECORD_TYPE) {
            if (DGifGetExtension(gif, &label, &block) == GIF_ERROR)
                break;
            while (block)
                if (DGifGetExtensionNext(gif, &block) == GIF_ERROR)
                    return frames;
        } else if (!readFrameHeader(gif, input) || !CodeReader(input).skipRest()) {
            break;
        } else {
            ++frames;
        }
    }
    return frames;
}

} // namespace core
