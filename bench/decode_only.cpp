// The floor for the command line's speed: bench_decode FILE... loads every file with the
// core's loader, one after another in one process, and converts nothing. Prints seconds.

#include "core/decode/picture_loader.h"

#include <chrono>
#include <cstdio>

int main(int argc, char *argv[])
{
    const auto start = std::chrono::steady_clock::now();
    long long pixels = 0;
    for (int i = 1; i < argc; ++i) {
        const auto loaded = core::loadPicture(argv[i]);
        if (!loaded) {
            const core::Message &reason = loaded.error().reason;
            std::fprintf(stderr, "%s: %s\n", argv[i], reason.text ? reason.text : "");
            return 1;
        }
        pixels += static_cast<long long>(loaded.value().width()) * loaded.value().height();
    }
    const std::chrono::duration<double> took = std::chrono::steady_clock::now() - start;
    std::printf("%.3f s for %d pictures, %lld pixels\n", took.count(), argc - 1, pixels);
    return 0;
}
