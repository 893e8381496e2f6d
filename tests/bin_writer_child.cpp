// Writes one large BIN file when told to, so that a test can kill it in the middle. Prints a
// line just before the write starts and another when it has finished.
#include "core/bin_file.h"

#include <QString>

#include <cstdio>
#include <cstdlib>
#include <vector>

int main(int argc, char **argv)
{
    if (argc != 4)
        return 2;
    const QString path = QString::fromLocal8Bit(argv[1]);
    const std::vector<std::uint8_t> bin(std::size_t(std::atol(argv[2])) << 20,
                                        std::uint8_t(std::atoi(argv[3])));
    std::puts("writing");
    std::fflush(stdout);
    const auto written = core::writeBinFile(path, bin);
    std::puts(written ? "written" : qPrintable(written.error().toString()));
    return written ? 0 : 1;
}
