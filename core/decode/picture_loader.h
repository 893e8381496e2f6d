// Loading a picture file into a pixel store, with the limits that keep a hostile or broken
// file from taking the program down.
#pragma once

#include "core/decode/picture_limits.h"
#include "core/error.h"
#include "core/pixel_store.h"

#include <QByteArray>
#include <QString>

namespace core {

// Loads a BMP, JPEG, PNG or GIF file, told apart by content, not by name. BMP files are read
// by our own decoder; JPEG photos are turned upright by their EXIF orientation. Fails with
// CannotRead, naming the path, for a missing, unreadable, incomplete or unknown file, a folder or a
// device.
Expected<PixelStore> loadPicture(const QString &path);

// The same from bytes already read (standard input, tests); `name` is used in errors.
Expected<PixelStore> decodePicture(const QByteArray &bytes, const QString &name);

// Keeps Qt's decoders from writing their own complaints (a corrupt JPEG segment, a libpng
// warning) to standard error: the loader's errors already say what went wrong. For main().
void quietenDecoders();

} // namespace core
