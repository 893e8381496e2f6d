// The floor for the command line's speed: bench_decode FILE... loads every file with the
// core's loader, one after another in one process, and converts nothing. Prints seconds.

#include "core/decode/picture_loader.h"

#include <QCoreApplication>
#include <QElapsedTimer>

#include <cstdio>

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    const QStringList files = QCoreApplication::arguments().mid(1);
    QElapsedTimer timer;
    timer.start();
    qint64 pixels = 0;
    for (const QString &file : files) {
        const auto loaded = core::loadPicture(file);
        if (!loaded) {
            std::fprintf(stderr, "%s\n", qPrintable(loaded.error().toString()));
            return 1;
        }
        pixels += qint64(loaded.value().width()) * loaded.value().height();
    }
    std::printf("%.3f s for %lld pictures, %lld pixels\n", double(timer.nsecsElapsed()) / 1e9,
                static_cast<long long>(files.size()), static_cast<long long>(pixels));
    return 0;
}
