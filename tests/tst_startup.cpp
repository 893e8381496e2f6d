#include "fakes.h"
#include "startup/frm_splash.h"
#include "startup/start_checks.h"

#include <QElapsedTimer>
#include <QLabel>
#include <QPointer>
#include <QTest>
#include <QTimer>

class tst_Startup : public QObject
{
    Q_OBJECT

private slots:
    void versionText_data()
    {
        QTest::addColumn<int>("major");
        QTest::addColumn<int>("minor");
        QTest::addColumn<int>("revision");
        QTest::addColumn<QString>("text");
        QTest::newRow("this release") << 1 << 0 << 0 << QStringLiteral("ﾊﾞｰｼﾞｮﾝ 1.0.0");
        QTest::newRow("two digits") << 2 << 10 << 3 << QStringLiteral("ﾊﾞｰｼﾞｮﾝ 2.10.3");
    }

    void versionText()
    {
        QFETCH(int, major);
        QFETCH(int, minor);
        QFETCH(int, revision);
        QFETCH(QString, text);
        QCOMPARE(startup::versionText({major, minor, revision}), text);

        testing::FakeServices fakes;
        fakes.application.versionNumbers = {major, minor, revision};
        QPointer<frmSplash> splash = new frmSplash(fakes.services(), {});
        QCOMPARE(splash->lblVersion->text(), text);
        delete splash;
    }

    // The display check, tick by tick: a display that passes hands over on the fourth tick;
    // one that fails warns on the first and ends the program.
    void displayCheck_data()
    {
        QTest::addColumn<int>("bits");
        QTest::addColumn<int>("width");
        QTest::addColumn<QString>("warning"); // empty: passes

        const QString colours =
            QStringLiteral("カラーパレットをフルカラー（２４ビット）に設定して下さい。");
        const QString narrow =
            QStringLiteral("画面領域をＳＶＧＡ（８００×６００）以上に設定して下さい。");
        QTest::newRow("32 bits, 1024 wide") << 32 << 1024 << QString();
        QTest::newRow("24 bits, exactly 800 wide") << 24 << 800 << QString();
        QTest::newRow("16 bits, 1024 wide") << 16 << 1024 << colours;
        QTest::newRow("16 bits and 640 wide: colours first") << 16 << 640 << colours;
        QTest::newRow("24 bits, 799 wide") << 24 << 799 << narrow;
        QTest::newRow("32 bits, 800 wide but low") << 32 << 800 << QString();
    }

    void displayCheck()
    {
        QFETCH(int, bits);
        QFETCH(int, width);
        QFETCH(QString, warning);

        testing::FakeServices fakes;
        fakes.displayCaps.bits = bits;
        fakes.displayCaps.width = width;
        int handedOver = 0;
        QPointer<frmSplash> splash = new frmSplash(fakes.services(), [&] { ++handedOver; });
        QCOMPARE(splash->TickCount, std::int16_t(1));
        QVERIFY(splash->Timer1.isActive());
        QCOMPARE(splash->Timer1.interval(), 500);

        if (warning.isEmpty()) {
            for (int tick = 1; tick <= 3; ++tick) {
                splash->Timer1_Timer();
                QCOMPARE(handedOver, 0);
            }
            splash->Timer1_Timer();
            QCOMPARE(handedOver, 1);
            QVERIFY(!splash->Timer1.isActive());
            QCOMPARE(fakes.displayCaps.asked, 4);
            QVERIFY(fakes.messageBox.shown.isEmpty());
            QCOMPARE(fakes.application.ended, 0);
        } else {
            splash->Timer1_Timer();
            QCOMPARE(fakes.messageBox.shown,
                     (QList<QPair<QString, QString>>{{warning, QStringLiteral("警告")}}));
            QCOMPARE(fakes.application.ended, 1);
            QVERIFY(!splash->Timer1.isActive()); // no second warning stacks up
            QCOMPARE(handedOver, 0);
        }
        delete splash;
    }

    void clickHandsOverAtOnceWithoutACheck_data()
    {
        QTest::addColumn<QString>("control");
        for (const char *name :
             {"imgLogo", "lblCompanyProduct", "lblProductName", "lblVersion", "Label1", "Frame1"})
            QTest::newRow(name) << QString::fromLatin1(name);
    }

    void clickHandsOverAtOnceWithoutACheck()
    {
        QFETCH(QString, control);
        testing::FakeServices fakes;
        int handedOver = 0;
        QPointer<frmSplash> splash = new frmSplash(fakes.services(), [&] { ++handedOver; });
        splash->show();
        auto *target = splash->findChild<QWidget *>(control);
        QVERIFY(target);
        QTest::mouseClick(target, Qt::LeftButton, {}, QPoint(2, 2));
        QCOMPARE(handedOver, 1);
        QCOMPARE(fakes.displayCaps.asked, 0);
        QTRY_VERIFY(!splash); // unloaded
    }

    void splashHasNoTitleBarAndNoTaskbarEntry()
    {
        testing::FakeServices fakes;
        frmSplash splash(fakes.services(), {});
        QCOMPARE(splash.windowType(), Qt::SplashScreen);
        QVERIFY(splash.windowFlags() & Qt::FramelessWindowHint);
        QCOMPARE(splash.size(), QSize(375 + 4, 222 + 4)); // client area and its raised edge
    }

    // Unloading the splash and showing the main window in the same handler must not end the
    // program, although for a moment no window is open. Only a running event loop shows it.
    void handOverKeepsTheProgramRunning()
    {
        testing::FakeServices fakes;
        std::unique_ptr<QWidget> main;
        QPointer<frmSplash> splash = new frmSplash(fakes.services(), [&] {
            main = std::make_unique<QWidget>();
            main->show();
        });
        splash->show();

        QElapsedTimer clock;
        clock.start();
        qint64 handedOverAfter = -1;
        bool stillRunning = false;
        QTimer poll;
        connect(&poll, &QTimer::timeout, [&] {
            if (main && handedOverAfter < 0) {
                handedOverAfter = clock.elapsed();
                QTimer::singleShot(300, [&] {
                    stillRunning = !splash && main->isVisible();
                    QCoreApplication::exit(0);
                });
            }
        });
        poll.start(10);
        QTimer::singleShot(6000, [] { QCoreApplication::exit(99); });
        QCOMPARE(QApplication::exec(), 0);
        QVERIFY(stillRunning);
        // The fourth tick of a 500 ms timer: not before one and a half seconds.
        QVERIFY2(handedOverAfter >= 1500, qPrintable(QString::number(handedOverAfter)));
    }
};

QTEST_MAIN(tst_Startup)
#include "tst_startup.moc"
