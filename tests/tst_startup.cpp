// The start-up windows: the splash window with its display check and hand-over to the main
// window, and the About window. The program's life across windows is checked in a running
// event loop, the only place where it shows.
#include "main_window/form1.h"
#include "platform/fonts.h"
#include "startup/frm_about.h"
#include "startup/frm_splash.h"
#include "startup/module1.h"
#include "support.h"

#include <QElapsedTimer>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QTest>
#include <QTimer>

namespace {

int aboutWindows()
{
    int count = 0;
    for (QWidget *w : QApplication::topLevelWidgets())
        count += qobject_cast<frmAbout *>(w) != nullptr;
    return count;
}

} // namespace

class tst_Startup : public QObject
{
    Q_OBJECT

    testing::FakeServices m_fakes;

private slots:
    void initTestCase() { QApplication::setFont(platform::japaneseFont(9, false)); }
    void init()
    {
        m_fakes = {};
        m_fakes.application.versionNumbers = {2, 10, 3};
    }

    // A display that passes hands over on the fourth tick; one that fails warns on the first
    // and ends the program, colours before width. A click on any part of the splash hands over
    // at once, without a check.
    void handOver_data()
    {
        QTest::addColumn<int>("bits");
        QTest::addColumn<int>("width");
        QTest::addColumn<QString>("clicked");
        QTest::addColumn<QString>("warning"); // empty: passes
        const QString colours =
            QStringLiteral("カラーパレットをフルカラー（２４ビット）に設定して下さい。");
        const QString narrow =
            QStringLiteral("画面領域をＳＶＧＡ（８００×６００）以上に設定して下さい。");
        QTest::newRow("32 bits, 1024 wide") << 32 << 1024 << QString() << QString();
        QTest::newRow("24 bits, exactly 800 wide") << 24 << 800 << QString() << QString();
        QTest::newRow("16 bits, 1024 wide") << 16 << 1024 << QString() << colours;
        QTest::newRow("16 bits and 640 wide: colours first") << 16 << 640 << QString() << colours;
        QTest::newRow("24 bits, 799 wide") << 24 << 799 << QString() << narrow;
        for (const char *name :
             {"imgLogo", "lblCompanyProduct", "lblProductName", "lblVersion", "Label1", "Frame1"})
            QTest::addRow("click on %s", name)
                << 16 << 640 << QString::fromLatin1(name) << QString();
    }

    void handOver()
    {
        QFETCH(int, bits);
        QFETCH(int, width);
        QFETCH(QString, clicked);
        QFETCH(QString, warning);
        m_fakes.displayCaps.bits = bits;
        m_fakes.displayCaps.width = width;
        int handedOver = 0;
        QPointer<frmSplash> splash = new frmSplash(m_fakes.services(), [&] { ++handedOver; });
        QCOMPARE(splash->Timer1.interval(), 500);
        QCOMPARE(splash->size(), QSize(375 + 4, 222 + 4)); // its design, and a raised edge
        QCOMPARE(splash->lblVersion->text(), QStringLiteral("ﾊﾞｰｼﾞｮﾝ 2.10.3"));
        if (!clicked.isEmpty()) {
            splash->show();
            QTest::mouseClick(splash->findChild<QWidget *>(clicked), Qt::LeftButton, {}, {2, 2});
            QCOMPARE(handedOver, 1);
            QCOMPARE(m_fakes.displayCaps.asked, 0);
            QTRY_VERIFY(!splash); // unloaded
            return;
        }
        for (int tick = 1; tick <= (warning.isEmpty() ? 4 : 1); ++tick) {
            QCOMPARE(handedOver, 0);
            splash->Timer1_Timer();
        }
        QCOMPARE(handedOver, warning.isEmpty() ? 1 : 0);
        QCOMPARE(m_fakes.application.ended, warning.isEmpty() ? 0 : 1);
        QCOMPARE(m_fakes.messageBox.shown.value(0).first, warning);
        QVERIFY(!splash->Timer1.isActive()); // no second warning stacks up
        delete splash;
    }

    // The runs of blanks start each part of the texts on a new line, and every line fits
    // inside its label; the screen is named for the system the program runs on.
    void aboutTextsBreakAtTheirBlankRunsAndFit()
    {
        frmAbout about(m_fakes.application);
        const QStringList description = about.lblDescription->text().split(QLatin1Char('\n'));
        QCOMPARE(description.size(), 3);
#if defined(Q_OS_WIN)
        QVERIFY(description[2].startsWith(QStringLiteral("Ｗｉｎｄｏｗｓのデスクットップ")));
#elif defined(Q_OS_LINUX)
        QVERIFY(description[2].startsWith(QStringLiteral("Ｌｉｎｕｘのデスクットップ")));
#endif
        QCOMPARE(about.Label1->text().split(QLatin1Char('\n')).first(), QStringLiteral("警告"));
        QVERIFY(about.lblDescription->heightForWidth(259) <= 78);
        QVERIFY(about.Label1->heightForWidth(241) <= 65);
    }

    // The About window names the product and its version, and closes by OK, Enter and Esc.
    void aboutClosesByOkEnterAndEsc_data()
    {
        QTest::addColumn<int>("key"); // 0: a click on OK
        QTest::newRow("OK") << 0;
        QTest::newRow("Enter") << int(Qt::Key_Return);
        QTest::newRow("Esc") << int(Qt::Key_Escape);
    }

    void aboutClosesByOkEnterAndEsc()
    {
        QFETCH(int, key);
        QPointer<frmAbout> about = new frmAbout(m_fakes.application);
        QCOMPARE(about->windowTitle(), QStringLiteral("Varnelloのﾊﾞｰｼﾞｮﾝ情報"));
        QCOMPARE(about->lblVersion->text(), QStringLiteral("ﾊﾞｰｼﾞｮﾝ 2.10.3"));
        about->show();
        QVERIFY(QTest::qWaitForWindowActive(about));
        if (key == 0)
            QTest::mouseClick(about->cmdOK, Qt::LeftButton);
        else
            QTest::keyClick(about, Qt::Key(key));
        QTRY_VERIFY(!about);
    }

    // The program lives while one of its windows is open: unloading the splash and showing the
    // main window in one handler does not end it, nor does closing the main window while the
    // About window, of which there is one at a time, is open; closing that ends it.
    void theProgramLivesWhileAWindowIsOpen()
    {
        Module1 module1;
        QPointer<Form1> form;
        QPointer<frmSplash> splash = new frmSplash(m_fakes.services(), [&] {
            form = new Form1(m_fakes.services(), module1);
            form->show();
        });
        splash->show();
        QElapsedTimer clock;
        clock.start();
        qint64 handedOverAfter = -1;
        bool aboutAlone = false;
        QTimer poll;
        connect(&poll, &QTimer::timeout, [&] {
            if (!form || handedOverAfter >= 0)
                return;
            handedOverAfter = clock.elapsed();
            form->mnuver->trigger();
            form->mnuver->trigger();
            QTimer::singleShot(300, [&] { form->close(); });
            QTimer::singleShot(600, [&] {
                aboutAlone = !splash && !form && aboutWindows() == 1;
                for (QWidget *window : QApplication::topLevelWidgets())
                    window->close();
            });
        });
        poll.start(10);
        QTimer::singleShot(8000, [] { QCoreApplication::exit(99); });
        QCOMPARE(QApplication::exec(), 0);
        QVERIFY(aboutAlone);
        // The fourth tick of a 500 ms timer: not before one and a half seconds.
        QVERIFY2(handedOverAfter >= 1500, qPrintable(QString::number(handedOverAfter)));
    }
};

QTEST_MAIN(tst_Startup)
#include "tst_startup.moc"
