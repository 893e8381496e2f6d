#include "core/picture_loader.h"
#include "fakes.h"
#include "main_window/form1.h"
#include "startup/module1.h"

#include <QDir>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#ifdef Q_OS_UNIX
#include <sys/resource.h>
#endif

// Long runs: thousands of pictures through the window's batch run and through the command
// line, every output byte-exact, memory flat from the hundredth file on, no handle left open.
namespace {

#if defined(__SANITIZE_ADDRESS__)
constexpr int kDefaultFiles = 200; // the sanitizers make each file many times slower
#else
constexpr int kDefaultFiles = 2000;
#endif

int fileCount()
{
    const int n = qEnvironmentVariableIntValue("VARNELLO_LONG_RUN_FILES");
    return n > 100 ? n : kDefaultFiles;
}

// Peak resident memory in MiB, of this process or of its finished children.
long peakMiB(bool children)
{
#ifdef Q_OS_UNIX
    rusage usage{};
    getrusage(children ? RUSAGE_CHILDREN : RUSAGE_SELF, &usage);
    return usage.ru_maxrss / 1024; // KiB on Linux
#else
    Q_UNUSED(children);
    return -1;
#endif
}

int openHandles()
{
    return int(QDir(QStringLiteral("/proc/self/fd"))
                   .entryList(QDir::AllEntries | QDir::NoDotAndDotDot)
                   .size());
}

QByteArray expectedBin(const QString &picture)
{
    auto store = core::loadPicture(picture);
    auto bin = core::convertPicture(store.value(), false);
    return QByteArray(reinterpret_cast<const char *>(bin.value().data()),
                      qsizetype(bin.value().size()));
}

} // namespace

class tst_LongRun : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;
    QStringList m_pictures;

    QStringList firstPictures(int n) const { return m_pictures.mid(0, n); }

    void checkOutputs(const QStringList &pictures, const QString &folder)
    {
        for (const QString &picture : pictures) {
            const QString bin =
                QDir(folder).filePath(QFileInfo(picture).fileName().chopped(3) + "BIN");
            if (QFile(bin).size() != 614400 || [&] {
                    QFile f(bin);
                    return !f.open(QIODevice::ReadOnly) || f.readAll() != expectedBin(picture);
                }())
                QFAIL(qPrintable(bin + QStringLiteral(" is not the picture's conversion")));
        }
    }

private slots:
    void initTestCase()
    {
        // Full-size pictures, each a little different, so that a mix-up shows.
        QImage image(640, 480, QImage::Format_RGB32);
        for (int y = 0; y < 480; ++y)
            for (int x = 0; x < 640; ++x)
                image.setPixel(x, y, qRgb(x & 0xFF, y & 0xFF, (x ^ y) & 0xFF));
        for (int i = 0; i < fileCount(); ++i) {
            image.setPixel(i % 640, 0, qRgb(i & 0xFF, (i >> 8) & 0xFF, 7));
            const QString path =
                m_dir.filePath(QStringLiteral("pic%1.jpg").arg(i, 4, 10, QLatin1Char('0')));
            QVERIFY(image.save(path, "JPEG", 85));
            m_pictures << path;
        }
    }

    void batchRunStaysFlat()
    {
        testing::FakeServices fakes;
        Module1 module1;
        Form1 form(fakes.services(), module1);
        form.setAttribute(Qt::WA_DeleteOnClose, false);
        const int handlesBefore = openHandles();

        QList<long> peaks;
        for (int n : {100, fileCount()}) {
            fakes.fileDialog.choose(firstPictures(n));
            form.mnubat->trigger();
            QCOMPARE(fakes.messageBox.shown.size(), peaks.size() + 1); // the closing notice
            peaks << peakMiB(false);
        }
        qInfo("batch run: peak %ld MiB after 100 files, %ld MiB after %d", peaks[0], peaks[1],
              fileCount());
        checkOutputs(m_pictures, m_dir.path());
#ifdef Q_OS_LINUX
        QCOMPARE(openHandles(), handlesBefore);
#endif
        if (peaks[0] >= 0)
            QVERIFY2(peaks[1] - peaks[0] < 32, "memory grew with the number of files");
    }

    void commandLineRunStaysFlat()
    {
        const QString out = m_dir.filePath(QStringLiteral("cli"));
        QVERIFY(QDir().mkdir(out));
        QList<long> peaks;
        for (int n : {100, fileCount()}) {
            QProcess process;
            process.start(QStringLiteral(VARNELLO_CONVERT),
                          QStringList{"--quiet", "--jobs", "1", "-o", out} + firstPictures(n));
            QVERIFY(process.waitForFinished(600000));
            QCOMPARE(process.exitCode(), 0);
            peaks << peakMiB(true);
        }
        qInfo("command line: peak %ld MiB for 100 files, %ld MiB for %d", peaks[0], peaks[1],
              fileCount());
        checkOutputs(m_pictures, out);
        if (peaks[0] >= 0)
            QVERIFY2(peaks[1] - peaks[0] < 32, "memory grew with the number of files");
    }
};

QTEST_MAIN(tst_LongRun)
#include "tst_long_run.moc"
