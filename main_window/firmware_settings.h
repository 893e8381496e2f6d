// The panel's settings of the window, kept between runs in an INI file, varnello/varnello.conf
// in the user's configuration folder, group [firmware], with the command line's words as
// values, so that a user can read and write them by hand and a script can share them. No
// file, or a key missing or unreadable, means that step's default: the plain conversion.
#pragma once

#include "core/error.h"
#include "core/recipe.h"

#include <QString>

namespace main_window {

QString settingsFilePath();

// The blue line beside the canvas, so that nobody converts with settings they forgot:
// "設定: 320×240 背景#000000 FS BE", the background named where a step uses it (contain's
// bands, blending); empty for the plain conversion.
QString settingsLine(const core::Recipe &recipe);

core::Recipe readRecipe(const QString &path);

// Writes the file whole through the program's writer (its folder made first), so that a
// failure says why and leaves an old file as it was.
core::Expected<void> writeRecipe(const QString &path, const core::Recipe &recipe);

} // namespace main_window
