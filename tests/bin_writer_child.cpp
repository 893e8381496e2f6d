// bin_writer_child PATH MIB BYTE synced|unsynced: writes a BIN file of MIB MiB of one byte
// value, saying so just before the write starts, so that a test can kill it in the middle.
#include "core/bin_file.h"

#include <cstdio>
#include <cstdlib>
#include <string_view>
#include <vector>

int main(int argc, char **argv)
{
    if (argc != 5)
        return 2;
    const std::vector<std::uint8_t> bin(std::size_t(std::atol(argv[2])) << 20,
                                        std::uint8_t(std::atoi(argv[3])));
    std::puts("writing");
    std::fflush(stdout);
    const auto durability = std::string_view(argv[4]) == "synced" ? core::Durability::Synced
                                                                  : core::Durability::Unsynced;
    return core::writeBinFile(QString::fromLocal8Bit(argv[1]), bin, durability).ok() ? 0 : 1;
}
