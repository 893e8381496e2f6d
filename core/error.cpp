#include "core/error.h"

namespace core {

Message subjectOf(const std::filesystem::path &path)
{
    return message("%1", path);
}

Message kindText(Error::Kind kind)
{
    switch (kind) {
    case Error::Kind::CannotRead:
        return {VTR("core", "cannot read picture")};
    case Error::Kind::CannotWrite:
        return {VTR("core", "cannot write file")};
    case Error::Kind::OutOfMemory:
        return {VTR("core", "not enough memory")};
    case Error::Kind::NothingConverted:
        return {VTR("core", "nothing has been converted yet")};
    }
    return {};
}

} // namespace core
