// Loading a picture file into a pixel store, with the limits that keep a hostile or broken
// file from taking the program down.
#pragma once

#include "error.h"
#include "pixel_store.h"

#include <QByteArray>
#include <QString>

#include <cstdint>

namespace core {

// Enough for any real photo (a 250-megapixel sensor fits); a header claiming 60000 x 60000
// pixels is refused before anything is allocated.
inline constexpr std::int64_t kMaxPicturePixels = std::int64_t(256) << 20;
inline constexpr int kDecoderAllocationLimitMiB = 1024;
inline constexpr std::int64_t kMaxPictureFileBytes = std::int64_t(1) << 30;

// Loads a BMP, JPEG, PNG or GIF file, told apart by content, not by name. JPEG photos are
// turned upright by their EXIF orientation. Fails with CannotRead, naming the path, for a
// missing, unreadable, incomplete or unknown file, a folder or a device.
Expected<PixelStore> loadPicture(const QString &path);

// The same from bytes already read (standard input, tests); `name` is used in errors.
Expected<PixelStore> decodePicture(const QByteArray &bytes, const QString &name);

} // namespace core
