// The panel's settings of the window, kept between runs in an INI file, varnello/varnello.conf
// in the user's configuration folder, group [firmware], with the command line's words as
// values, so that a user can read and write them by hand and a script can share them. No
// file, or a key missing or unreadable, means that step's default: the plain conversion.
#pragma once

#include "core/recipe.h"

#include <QString>

namespace main_window {

QString settingsFilePath();

core::Recipe readRecipe(const QString &path);

// False when the file could not be written.
bool writeRecipe(const QString &path, const core::Recipe &recipe);

} // namespace main_window
