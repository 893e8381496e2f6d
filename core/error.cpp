#include "core/error.h"
#include "core/files/native_path.h"
#include "core/texts.h"

namespace core {

QString Error::toString() const
{
    QString what;
    switch (kind) {
    case Kind::CannotRead:
        what = Texts::tr("cannot read picture");
        break;
    case Kind::CannotWrite:
        what = Texts::tr("cannot write file");
        break;
    case Kind::OutOfMemory:
        what = Texts::tr("not enough memory");
        break;
    case Kind::NothingConverted:
        what = Texts::tr("nothing has been converted yet");
        break;
    }
    QString line = path.isEmpty() ? what : displayPath(path) + QStringLiteral(": ") + what;
    if (!reason.isEmpty())
        line += QStringLiteral(": ") + reason;
    return line;
}

} // namespace core
