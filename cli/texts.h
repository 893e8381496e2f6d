// The command line's own words, written in English; a Japanese locale shows them in Japanese
// (see core/texts.h).
#pragma once

#include <QCoreApplication>

namespace cli {

struct Texts
{
    Q_DECLARE_TR_FUNCTIONS(cli)
};

} // namespace cli
