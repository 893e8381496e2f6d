#include "core/files/bin_file.h"

namespace core {

Expected<void> writeBinFile(const std::filesystem::path &path, std::span<const std::uint8_t> bin,
                            const WriteOptions &options)
{
    if (bin.empty())
        return Error{Error::Kind::NothingConverted, subjectOf(path), {}};
    return writeFile(path, bin, options);
}

} // namespace core
