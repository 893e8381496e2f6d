// Writes a BIN file of `mib` MiB of one byte value, saying so just before the write starts, so
// that a test can kill it in the middle.
#include "core/bin_file.h"

#include <cstdio>
#include <cstdlib>
#include <vector>

int main(int argc, char **argv)
{
    if (argc != 4)
        return 2;
    const std::vector<std::uint8_t> bin(std::size_t(std::atol(argv[2])) << 20,
                                        std::uint8_t(std::atoi(argv[3])));
    std::puts("writing");
    std::fflush(stdout);
    return core::writeBinFile(QString::fromLocal8Bit(argv[1]), bin).ok() ? 0 : 1;
}
