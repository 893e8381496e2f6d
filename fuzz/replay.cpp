// Runs the fuzz target once over each file in the folders named, the way libFuzzer would, but
// without it: CI replays the seed corpus and the saved findings with the ordinary compiler, so
// that a fixed fault stays fixed.
#include <QDirIterator>
#include <QFile>

#include <algorithm>
#include <cstdint>
#include <cstdio>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size);

int main(int argc, char **argv)
{
    QStringList inputs;
    for (int i = 1; i < argc; ++i)
        for (QDirIterator it(QString::fromLocal8Bit(argv[i]), QDir::Files | QDir::Hidden,
                             QDirIterator::Subdirectories);
             it.hasNext();)
            inputs << it.next();
    // A fixed order, so that a failure repeats the same way.
    std::sort(inputs.begin(), inputs.end());
    for (const QString &input : std::as_const(inputs)) {
        QFile file(input);
        const QByteArray bytes = file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
        std::fprintf(stderr, "%s (%lld bytes)\n", qPrintable(input), qlonglong(bytes.size()));
        LLVMFuzzerTestOneInput(reinterpret_cast<const std::uint8_t *>(bytes.constData()),
                               std::size_t(bytes.size()));
    }
    std::printf("%lld inputs replayed\n", qlonglong(inputs.size()));
    return inputs.isEmpty() ? 1 : 0; // no inputs: the corpus is missing
}
