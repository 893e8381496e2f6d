// The yardstick for the command line on JPEG pictures: bench_turbojpeg FOLDER FILE... does the
// least a converter must, with TurboJPEG and nothing of the program's but its row kernel: each
// file read whole, decoded by tjDecompress2 (accurate DCT, fancy upsampling: the library's
// defaults) into 32-bit BGRX words, converted row by row, and written to FOLDER as the BIN
// file of its name. The buffers are kept from file to file. Prints seconds.

#include "core/conversion.h"

#include <turbojpeg.h>

#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

int main(int argc, char *argv[])
{
    if (argc < 3) {
        std::fputs("usage: bench_turbojpeg FOLDER FILE...\n", stderr);
        return 2;
    }
    const std::string folder = argv[1];
    tjhandle decoder = tjInitDecompress();
    std::vector<unsigned char> file;
    std::vector<std::uint32_t> pixels;
    std::vector<std::uint8_t> bin;
    const auto start = std::chrono::steady_clock::now();
    for (int i = 2; i < argc; ++i) {
        const std::string path = argv[i];
        std::FILE *in = std::fopen(path.c_str(), "rb");
        if (!in || std::fseek(in, 0, SEEK_END) != 0)
            return std::fprintf(stderr, "bench_turbojpeg: cannot read %s\n", argv[i]), 1;
        const auto size = std::size_t(std::ftell(in));
        std::rewind(in);
        if (file.size() < size)
            file.resize(size);
        const bool read = std::fread(file.data(), 1, size, in) == size;
        std::fclose(in);
        int width = 0, height = 0, sampling = 0, colours = 0;
        if (!read || tjDecompressHeader3(decoder, file.data(), size, &width, &height, &sampling,
                                         &colours) != 0)
            return std::fprintf(stderr, "bench_turbojpeg: cannot decode %s\n", argv[i]), 1;
        const std::size_t count = std::size_t(width) * std::size_t(height);
        if (pixels.size() < count)
            pixels.resize(count);
        bin.resize(2 * count);
        if (tjDecompress2(decoder, file.data(), size,
                          reinterpret_cast<unsigned char *>(pixels.data()), width, 4 * width,
                          height, TJPF_BGRX, 0) != 0)
            return std::fprintf(stderr, "bench_turbojpeg: %s: %s\n", argv[i],
                                tjGetErrorStr2(decoder)),
                   1;
        for (int y = 0; y < height; ++y)
            core::convertRow(pixels.data() + std::size_t(y) * std::size_t(width),
                             std::size_t(width),
                             bin.data() + 2 * std::size_t(y) * std::size_t(width), false);
        // The BIN name as the program makes it: the last three characters become BIN.
        const std::string name = path.substr(path.find_last_of('/') + 1);
        const std::string output = folder + '/' + name.substr(0, name.size() - 3) + "BIN";
        std::FILE *out = std::fopen(output.c_str(), "wb");
        if (!out || std::fwrite(bin.data(), 1, bin.size(), out) != bin.size() ||
            std::fclose(out) != 0)
            return std::fprintf(stderr, "bench_turbojpeg: cannot write %s\n", output.c_str()), 1;
    }
    const std::chrono::duration<double> took = std::chrono::steady_clock::now() - start;
    std::printf("%.3f s for %d pictures\n", took.count(), argc - 2);
    tjDestroy(decoder);
    return 0;
}
