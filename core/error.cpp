#include "error.h"

namespace core {

QString Error::toString() const
{
    QString what;
    switch (kind) {
    case Kind::CannotRead:
        what = QStringLiteral("cannot read picture");
        break;
    case Kind::CannotWrite:
        what = QStringLiteral("cannot write file");
        break;
    case Kind::OutOfMemory:
        what = QStringLiteral("not enough memory");
        break;
    case Kind::NothingConverted:
        what = QStringLiteral("nothing has been converted yet");
        break;
    }
    QString line = path.isEmpty() ? what : path + QStringLiteral(": ") + what;
    if (!reason.isEmpty())
        line += QStringLiteral(": ") + reason;
    return line;
}

} // namespace core
