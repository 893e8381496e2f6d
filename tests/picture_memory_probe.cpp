// Loads and converts one picture file the way the product does, then tells its own peak
// memory, so that a test can hold the loader to its limits from outside the process.
#include "core/conversion.h"
#include "core/picture_loader.h"

#include <cstdio>

#if defined(Q_OS_LINUX)
#include <sys/resource.h>
#endif

int main(int argc, char **argv)
{
    if (argc != 2)
        return 2;
    auto loaded = core::loadPicture(QString::fromLocal8Bit(argv[1]));
    const bool converted = loaded && core::convertPicture(loaded.value(), true).ok();
    long peakKiB = -1;
#if defined(Q_OS_LINUX)
    rusage usage{};
    if (getrusage(RUSAGE_SELF, &usage) == 0)
        peakKiB = usage.ru_maxrss; // kibibytes on Linux
#endif
    std::printf("%s %ld\n", converted ? "converted" : "refused", peakKiB);
    return 0;
}
