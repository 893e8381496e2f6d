// cmd.exe and PowerShell hand a pattern such as pictures\*.jpg to a program as it is; there the
// command line expands it itself, as a Unix shell would have before starting it.
#pragma once

#include <QStringList>

namespace cli {

// Each picture argument whose last part holds * or ? becomes the files it matches in its
// folder, by name, letter case ignored; one that matches nothing stays as it is, so that its
// error line names it. Other arguments pass unchanged.
QStringList expandWildcards(const QStringList &pictures);

} // namespace cli
