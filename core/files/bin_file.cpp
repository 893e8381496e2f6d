#include "core/files/bin_file.h"

namespace core {

Expected<void> writeBinFile(const QString &path, std::span<const std::uint8_t> bin,
                            const WriteOptions &options)
{
    if (bin.empty())
        return Error{Error::Kind::NothingConverted, path, {}};
    return writeFile(path, bin, options);
}

} // namespace core
