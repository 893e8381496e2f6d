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
    // and ends the program, colours before width.
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
    }

    void displayCheck()
    {
        QFETCH(int, bits);
        QFETCH(int, width);
        QFETCH(QString, warning);
        m_fakes.displayCaps.bits = bits;
        m_fakes.displayCaps.width = width;
        int handedOver = 0;
        QPointer<frmSplash> splash = new frmSplash(m_fakes.services(), [&] { ++handedOver; });
        QCOMPARE(splash->Timer1.interval(), 500);
        QCOMPARE(splash->size(), QSize(375 + 4, 222 + 4)); // its design, and a raised edge
        QCOMPARE(splash->lblVersion->text(), QStringLiteral("ﾊﾞｰｼﾞｮﾝ 2.10.3"));
        const int ticks = warning.isEmpty() ? 4 : 1;
        for (int tick = 1; tick <= ticks; ++tick) {
            QCOMPARE(handedOver, 0);
            splash->Timer1_Timer();
        }
        QCOMPARE(handedOver, warning.isEmpty() ? 1 : 0);
        QCOMPARE(m_fakes.application.ended, warning.isEmpty() ? 0 : 1);
        QCOMPARE(m_fakes.messageBox.shown.value(0).first, warning);
        QVERIFY(!splash->Timer1.isActive()); // no second warning stacks up
        delete splash;
    }

    void aClickHandsOverAtOnceWithoutACheck_data()
    {
        QTest::addColumn<QString>("control");
        for (const char *name :
             {"imgLogo", "lblCompanyProduct", "lblProductName", "lblVersion", "Label1", "Frame1"})
            QTest::newRow(name) << QString::fromLatin1(name);
    }

    void aClickHandsOverAtOnceWithoutACheck()
    {
        QFETCH(QString, control);
        int handedOver = 0;
        QPointer<frmSplash> splash = new frmSplash(m_fakes.services(), [&] { ++handedOver; });
        splash->show();
        QTest::mouseClick(splash->findChild<QWidget *>(control), Qt::LeftButton, {}, {2, 2});
        QCOMPARE(handedOver, 1);
        QCOMPARE(m_fakes.displayCaps.asked, 0);
        QTRY_VERIFY(!splash); // unloaded
    }

    // Unloading the splash and showing the main window in one handler must not end the
    // program, although for a moment no window is open.
    void handOverKeepsTheProgramRunning()
    {
        std::unique_ptr<QWidget> main;
        QPointer<frmSplash> splash = new frmSplash(m_fakes.services(), [&] {
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

    // The runs of blanks start each part of the texts on a new line, and every line fits
    // inside its label.
    void aboutTextsBreakAtTheirBlankRunsAndFit()
    {
        frmAbout about(m_fakes.application);
        const QStringList description = about.lblDescription->text().split(QLatin1Char('\n'));
        QCOMPARE(description.size(), 3);
        QVERIFY(description[2].startsWith(QStringLiteral("Ｗｉｎｄｏｗｓ")));
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

    // One About window at a time, a fresh one after closing; it has no owner, so closing the
    // main window leaves the program running until the About window is closed too.
    void aboutIsOneWindowThatOutlivesTheMainWindow()
    {
        Module1 module1;
        QPointer<Form1> form = new Form1(m_fakes.services(), module1);
        form->show();
        form->mnuver->trigger();
        QPointer<frmAbout> first = form->aboutWindow();
        form->mnuver->trigger();
        QCOMPARE(aboutWindows(), 1);
        first->cmdOK->click();
        QTRY_VERIFY(!first);
        form->mnuver->trigger();
        QPointer<frmAbout> about = form->aboutWindow();
        QVERIFY(about && about->isVisible());

        bool runningWithAboutAlone = false;
        QTimer::singleShot(50, form, [&] { form->close(); });
        QTimer::singleShot(400, about, [&] {
            runningWithAboutAlone = !form && about->isVisible();
            about->close();
        });
        QTimer::singleShot(5000, qApp, [] { QCoreApplication::exit(99); });
        QCOMPARE(QApplication::exec(), 0);
        QVERIFY(runningWithAboutAlone);
    }
};

QTEST_MAIN(tst_Startup)
#include "tst_startup.moc"
