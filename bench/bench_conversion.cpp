// Speed of the conversion kernel against the memory it has to move: a memcpy of the picture's
// pixels is the floor, one QImage::pixel()/setPixel() call per pixel the naive ceiling.
// Items are pixels, so "items_per_second" reads as pixels per second.

#include "core/conversion.h"
#include "core/decode/picture_loader.h"
#include "core/dithering.h"
#include "core/fitting.h"
#include "core/quantiser.h"
#include "gif_file.h"

#include <benchmark/benchmark.h>

#include <QBuffer>
#include <QImage>

#include <cstring>
#include <vector>

namespace {

core::PixelStore picture(int width, int height)
{
    core::PixelStore store = core::PixelStore::allocate(width, height);
    for (int y = 0; y < height; ++y) {
        std::uint32_t *row = store.row(y);
        for (int x = 0; x < width; ++x)
            row[x] = qRgb(x * 7 + y, x ^ y, x + y * 13);
    }
    return store;
}

QImage imageOf(const core::PixelStore &store)
{
    return QImage(reinterpret_cast<const uchar *>(store.row(0)), store.width(), store.height(),
                  qsizetype(store.strideBytes()), QImage::Format_RGB32)
        .copy();
}

void setPixels(benchmark::State &state)
{
    state.SetItemsProcessed(state.iterations() * state.range(0) * state.range(1));
}

void BM_Memcpy(benchmark::State &state)
{
    const auto pixels = std::size_t(state.range(0) * state.range(1));
    std::vector<std::uint32_t> from(pixels, 0x00123456), to(pixels);
    for (auto _ : state) {
        std::memcpy(to.data(), from.data(), pixels * 4);
        benchmark::DoNotOptimize(to.data());
        benchmark::ClobberMemory();
    }
    setPixels(state);
}

// The kernel into a reused buffer, as a batch run uses it.
template<bool Preview> void BM_Kernel(benchmark::State &state)
{
    core::PixelStore store = picture(int(state.range(0)), int(state.range(1)));
    core::BinBuffer bin(core::binSize(std::uint64_t(store.width()), std::uint64_t(store.height())));
    for (auto _ : state) {
        core::convertInto(store, bin, Preview);
        benchmark::DoNotOptimize(bin.data());
        benchmark::ClobberMemory();
    }
    setPixels(state);
}

// A dithering pass alone, as the command line runs it before the kernel. Each run gets a fresh
// copy of the picture, made outside the timing, since the pass changes its pixels.
void BM_Dither(benchmark::State &state, core::Dither method)
{
    const core::PixelStore original = picture(int(state.range(0)), int(state.range(1)));
    for (auto _ : state) {
        state.PauseTiming();
        core::PixelStore store = original.copy();
        state.ResumeTiming();
        core::dither(store, method);
        benchmark::DoNotOptimize(store.row(0));
        benchmark::ClobberMemory();
    }
    setPixels(state);
}

// The whole pass as the window runs it, with a new zero-filled buffer each time.
void BM_ConvertPictureFreshBuffer(benchmark::State &state)
{
    core::PixelStore store = picture(int(state.range(0)), int(state.range(1)));
    for (auto _ : state) {
        auto bin = core::convertPicture(store, true);
        benchmark::DoNotOptimize(bin.value().data());
    }
    setPixels(state);
}

// Fitting to a 320 x 240 panel, as --fit does after the decoding.
void BM_Fit(benchmark::State &state)
{
    const core::PixelStore original = picture(int(state.range(0)), int(state.range(1)));
    for (auto _ : state) {
        const core::PixelStore fitted =
            core::fitted(original.copy(), {320, 240}, core::FitMode::Contain, 0);
        benchmark::DoNotOptimize(fitted.row(0));
    }
    setPixels(state);
}

// The literal approach: a Qt call per pixel read and per pixel written.
void BM_QImagePixelLoop(benchmark::State &state)
{
    QImage image = imageOf(picture(int(state.range(0)), int(state.range(1))));
    std::vector<std::uint8_t> bin(std::size_t(2 * image.width() * image.height()));
    for (auto _ : state) {
        std::size_t i = 0;
        for (int y = 0; y < image.height(); ++y) {
            for (int x = 0; x < image.width(); ++x) {
                const auto q = core::quantise(core::fromQRgb(image.pixel(x, y)));
                bin[i++] = q.bin.low;
                bin[i++] = q.bin.high;
                image.setPixel(x, y, core::toQRgb(q.preview));
            }
        }
        benchmark::DoNotOptimize(bin.data());
    }
    setPixels(state);
}

QByteArray encoded(benchmark::State &state, QImage::Format format, const char *type)
{
    const QImage image =
        imageOf(picture(int(state.range(0)), int(state.range(1)))).convertToFormat(format);
    if (qstrcmp(type, "GIF") == 0)
        return gifFile(image);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, type);
    return bytes;
}

// Decoding a file already in memory into the canvas's pixels, as the loader does it.
void BM_Decode(benchmark::State &state, QImage::Format format, const char *type)
{
    const QByteArray bytes = encoded(state, format, type);
    for (auto _ : state) {
        auto loaded = core::decodePicture(
            {reinterpret_cast<const std::uint8_t *>(bytes.constData()), std::size_t(bytes.size())},
            {"bench"});
        if (!loaded)
            state.SkipWithError(loaded.error().reason.text);
        benchmark::DoNotOptimize(loaded.value().row(0));
    }
    setPixels(state);
}

// The same through Qt's reader, as the loader read PNG and GIF files before it had decoders of
// its own: the picture, then its rows copied into the canvas's pixels.
void BM_DecodeQt(benchmark::State &state, QImage::Format format, const char *type)
{
    const QByteArray bytes = encoded(state, format, type);
    for (auto _ : state) {
        QImage image = QImage::fromData(bytes);
        image.convertTo(image.hasAlphaChannel() ? QImage::Format_ARGB32 : QImage::Format_RGB32);
        core::PixelStore store = core::PixelStore::allocate(image.width(), image.height());
        for (int y = 0; y < image.height(); ++y)
            std::memcpy(store.row(y), image.constScanLine(y), 4 * std::size_t(image.width()));
        benchmark::DoNotOptimize(store.row(0));
    }
    setPixels(state);
}

void sizes(benchmark::internal::Benchmark *b)
{
    b->Args({640, 480})->Args({1920, 1080})->Args({4000, 3000})->Unit(benchmark::kMicrosecond);
}

} // namespace

BENCHMARK(BM_Memcpy)->Apply(sizes);
BENCHMARK(BM_Kernel<false>)->Name("BM_Kernel/no_preview")->Apply(sizes);
BENCHMARK(BM_Kernel<true>)->Name("BM_Kernel/preview")->Apply(sizes);
BENCHMARK_CAPTURE(BM_Dither, ordered, core::Dither::Ordered)->Apply(sizes);
BENCHMARK_CAPTURE(BM_Dither, fs, core::Dither::FloydSteinberg)->Apply(sizes);
BENCHMARK(BM_ConvertPictureFreshBuffer)->Apply(sizes);
BENCHMARK(BM_Fit)->Apply(sizes);
BENCHMARK_CAPTURE(BM_Decode, bmp_24bit, QImage::Format_RGB32, "BMP")->Apply(sizes);
BENCHMARK_CAPTURE(BM_Decode, bmp_8bit, QImage::Format_Indexed8, "BMP")->Apply(sizes);
BENCHMARK_CAPTURE(BM_Decode, jpeg, QImage::Format_RGB32, "JPEG")->Apply(sizes);
BENCHMARK_CAPTURE(BM_Decode, png_rgb, QImage::Format_RGB888, "PNG")->Apply(sizes);
BENCHMARK_CAPTURE(BM_DecodeQt, png_rgb, QImage::Format_RGB888, "PNG")->Apply(sizes);
BENCHMARK_CAPTURE(BM_Decode, png_rgba, QImage::Format_ARGB32, "PNG")->Apply(sizes);
BENCHMARK_CAPTURE(BM_DecodeQt, png_rgba, QImage::Format_ARGB32, "PNG")->Apply(sizes);
BENCHMARK_CAPTURE(BM_Decode, png_palette, QImage::Format_Indexed8, "PNG")->Apply(sizes);
BENCHMARK_CAPTURE(BM_DecodeQt, png_palette, QImage::Format_Indexed8, "PNG")->Apply(sizes);
BENCHMARK_CAPTURE(BM_Decode, gif, QImage::Format_RGB32, "GIF")->Apply(sizes);
BENCHMARK_CAPTURE(BM_DecodeQt, gif, QImage::Format_RGB32, "GIF")->Apply(sizes);
BENCHMARK(BM_QImagePixelLoop)->Args({640, 480})->Unit(benchmark::kMicrosecond);

BENCHMARK_MAIN();
