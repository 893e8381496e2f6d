// Our GIF decoder, on giflib. giflib reads the blocks, the headers and the colour tables; the
// variable-width LZW codes, and the strings they stand for, are read here: giflib's own line
// decoder makes up a pixel for a code its table does not hold, where the file must be refused,
// and refuses LZW code sizes above 8, which other decoders read (up to 11). Frames are
// composited on the logical screen as GIF89a describes, clipped to it; the screen starts as the
// background colour.
#pragma once

#include "core/decode/picture_loader.h"

#include <memory>

namespace core {

// True for the bytes of a GIF file ("GIF87a" or "GIF89a" first).
bool isGif(ByteView file);

class GifDecoder
{
public:
    // Reads the header. Refusals are CannotRead errors whose subject is `subject`; a screen that
    // does not fit into memory is OutOfMemory. The screen's size is checked, as options.checkSize
    // says too, before the screen is made, with the first frame.
    static Expected<GifDecoder> open(ByteView file, const Message &subject,
                                     const LoadOptions &options);
    GifDecoder(GifDecoder &&) noexcept;
    GifDecoder &operator=(GifDecoder &&) noexcept;
    ~GifDecoder();

    // Composites the next frame onto the screen: true, or false after the last frame (at the
    // trailer, or at the end of the file when that falls between blocks). A file without a
    // frame, or with a frame cut short or damaged, is refused.
    Expected<bool> next();
    // The screen as a viewer shows it after the frames composited so far. Opaque unless
    // options.keepAlpha and the first frame has a transparent colour; then what that frame
    // leaves uncovered is transparent too.
    PixelStore &screen();

private:
    struct State;
    explicit GifDecoder(std::unique_ptr<State> state);
    std::unique_ptr<State> m_state;
};

// The first frame, as GifDecoder gives it.
Expected<PixelStore> decodeGif(ByteView file, const Message &subject, const LoadOptions &options);

// How many whole frames the file holds, up to the first thing that cannot be read; no pixel is
// decoded. 0 for a file that is not a GIF.
int countGifFrames(ByteView file);

} // namespace core
