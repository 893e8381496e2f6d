// Loading a picture file into a pixel store, with the limits that keep a hostile or broken
// file from taking the program down.
#pragma once

#include "core/decode/picture_limits.h"
#include "core/error.h"
#include "core/pixel_store.h"

#include "core/bytes.h"
#include "core/geometry.h"

#include <filesystem>
#include <functional>
#include <optional>

namespace core {

struct LoadOptions
{
    // Asked with the size the picture will have (after its EXIF turn, before any shrinking
    // for shrinkFor) as soon as a decoder has read the header, before any pixel is allocated
    // or decoded; a reason refuses the picture with it, nothing lets it through.
    std::function<std::optional<Message>(Size upright)> checkSize;
    // The box the picture will then be fitted into, in its upright orientation. A decoder
    // that can deliver the picture smaller for less work (a JPEG's DCT scaling) may do so by
    // a whole factor, as long as each side stays at least the box's.
    std::optional<Size> shrinkFor;
    // Keeps the picture's transparency in the alpha byte; otherwise every pixel is opaque,
    // in the colour the file stores for it.
    bool keepAlpha = false;
};

// Loads a BMP, JPEG, PNG or GIF file, told apart by content, not by name; of an animation,
// its first frame. JPEG photos are turned upright by their EXIF orientation. Fails with
// CannotRead, naming the path, for a missing, unreadable, damaged or unknown file, a folder or
// a device.
Expected<PixelStore> loadPicture(const std::filesystem::path &path,
                                 const LoadOptions &options = {});

// A picture file's bytes, read whole within the file size limit. Fails as loadPicture() does for
// a missing, unreadable or empty file, a folder or a device.
Expected<Bytes> readPictureFile(const std::filesystem::path &path);

// The same from bytes already read (standard input, tests); `subject` is errors' subject.
Expected<PixelStore> decodePicture(ByteView bytes, const Message &subject,
                                   const LoadOptions &options = {});

// Every frame of an animation (a still picture has one), each as the viewer sees it at that
// point, in order. `frame` gets the frame's index and its pixels, which it may keep or change;
// a reason it returns stops the run with that error. Gives the number of frames handed over.
// An error in a frame carries the frame's number.
using FrameSink = std::function<std::optional<Message>(int index, PixelStore &frame)>;
Expected<int> decodeFrames(ByteView bytes, const Message &subject, const LoadOptions &options,
                           const FrameSink &frame);

// Whether bytes start as a picture this program reads does: enough to refuse a stream that is
// none before reading it all. kPictureSignatureBytes are enough to tell.
inline constexpr std::size_t kPictureSignatureBytes = 8;
bool looksLikePicture(ByteView start);

// How many frames the picture holds: 1 for a still picture, 0 when the bytes are not one
// that this program reads. Cheap: no pixel is decoded.
int frameCount(ByteView bytes);

} // namespace core
