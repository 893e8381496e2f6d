// Long runs: hundreds of pictures (thousands when VARNELLO_LONG_RUN_FILES asks) through the
// window's batch run and through the command line, every output byte-exact, memory flat from
// the hundredth file on, no handle left open.
#include "main_window/form1.h"
#include "startup/module1.h"
#include "support.h"

#include <QDir>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#ifdef Q_OS_UNIX
#include <sys/resource.h>
#endif

namespace {

int fileCount()
{
    const int n = qEnvironmentVariableIntValue("VARNELLO_LONG_RUN_FILES");
    return n > 100 ? n : 300;
}

// Peak resident memory in MiB of this process, or of its finished children; -1 where unknown.
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

} // namespace

class tst_LongRun : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;
    QStringList m_pictures;

private slots:
    // Full-size pictures, each a little different, so that a mix-up shows.
    void initTestCase()
    {
        QImage image(640, 480, QImage::Format_RGB32);
        for (int y = 0; y < 480; ++y)
            for (int x = 0; x < 640; ++x)
                image.setPixel(x, y, qRgb(x & 0xFF, y & 0xFF, (x ^ y) & 0xFF));
        for (int i = 0; i < fileCount(); ++i) {
            image.setPixel(i % 640, 0, qRgb(i & 0xFF, (i >> 8) & 0xFF, 7));
            m_pictures << m_dir.filePath(QStringLiteral("pic%1.jpg").arg(i, 4, 10, QChar(u'0')));
            QVERIFY(image.save(m_pictures.last(), "JPEG", 85));
        }
    }

    void runsStayFlat_data()
    {
        QTest::addColumn<bool>("window");
        QTest::newRow("batch run") << true;
        QTest::newRow("command line") << false;
    }

    void runsStayFlat()
    {
        QFETCH(bool, window);
        testing::FakeServices fakes;
        Module1 module1;
        Form1 form(fakes.services(), module1);
        const auto openHandles = [] { return QDir(QStringLiteral("/proc/self/fd")).count(); };
        const auto handlesBefore = openHandles();
        const QString out = window ? m_dir.path() : m_dir.filePath(QStringLiteral("cli"));
        QVERIFY(QDir().mkpath(out));
        QList<long> peaks;
        for (const int n : {100, fileCount()}) {
            if (window) {
                fakes.fileDialog.choose(m_pictures.mid(0, n));
                form.mnubat->trigger();
                QCOMPARE(fakes.messageBox.shown.size(), peaks.size() + 1); // the closing notice
            } else {
                QProcess process;
                process.start(QStringLiteral(VARNELLO_CONVERT),
                              QStringList{"--quiet", "--jobs", "1", "-o", out} +
                                  m_pictures.mid(0, n));
                QVERIFY(process.waitForFinished(600000));
                QCOMPARE(process.exitCode(), 0);
            }
            peaks << peakMiB(!window);
        }
        qInfo("peak %ld MiB after 100 files, %ld MiB after %d", peaks[0], peaks[1], fileCount());
        for (const QString &picture : std::as_const(m_pictures)) {
            const QString bin =
                QDir(out).filePath(QFileInfo(picture).fileName().chopped(3) + "BIN");
            if (testing::readAll(bin) != testing::binOf(picture))
                QFAIL(qPrintable(bin + QStringLiteral(" is not the picture's conversion")));
        }
#ifdef Q_OS_LINUX
        QCOMPARE(openHandles(), handlesBefore);
#endif
        QVERIFY2(peaks[1] - peaks[0] < 32, "memory grew with the number of files");
    }
};

QTEST_MAIN(tst_LongRun)
#include "tst_long_run.moc"
