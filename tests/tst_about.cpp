#include "fakes.h"
#include "main_window/form1.h"
#include "platform/fonts.h"
#include "startup/frm_about.h"
#include "startup/module1.h"

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

class tst_About : public QObject
{
    Q_OBJECT

    testing::FakeServices m_fakes;

private slots:
    void initTestCase() { QApplication::setFont(platform::japaneseFont(9, false)); }

    void loadStepSetsCaptionAndVersionBeforeItIsShown()
    {
        frmAbout about(m_fakes.application);
        QCOMPARE(about.windowTitle(), QStringLiteral("Varnelloのﾊﾞｰｼﾞｮﾝ情報"));
        QCOMPARE(about.lblVersion->text(), QStringLiteral("ﾊﾞｰｼﾞｮﾝ 1.0.0"));
        QCOMPARE(about.lblTitle->text(), QStringLiteral("65ｋ色Varnello"));
        QCOMPARE(about.size(), QSize(382, 237));
        QVERIFY(about.cmdOK->isDefault());
    }

    // The runs of blanks start each part of the texts on a new line, and every line fits
    // inside its label.
    void textsBreakAtTheirBlankRunsAndFit()
    {
        frmAbout about(m_fakes.application);
        QCOMPARE(frmAbout::descriptionText().count(QString(96, QLatin1Char(' '))), 1);
        const QStringList description = about.lblDescription->text().split(QLatin1Char('\n'));
        QCOMPARE(description.size(), 3);
        QCOMPARE(description[0], QStringLiteral("アプリケーションの説明"));
        QVERIFY(description[1].startsWith(QStringLiteral("　Windows")));
        QVERIFY(description[2].startsWith(QStringLiteral("Ｗｉｎｄｏｗｓ")));
        QCOMPARE(about.Label1->text().split(QLatin1Char('\n')).first(), QStringLiteral("警告"));

        QVERIFY2(about.lblDescription->heightForWidth(259) <= 78,
                 qPrintable(QString::number(about.lblDescription->heightForWidth(259))));
        QVERIFY2(about.Label1->heightForWidth(241) <= 65,
                 qPrintable(QString::number(about.Label1->heightForWidth(241))));
    }

    void okEnterAndEscCloseIt_data()
    {
        QTest::addColumn<int>("how"); // 0 click OK, otherwise the key
        QTest::newRow("OK") << 0;
        QTest::newRow("Enter") << int(Qt::Key_Return);
        QTest::newRow("Esc") << int(Qt::Key_Escape);
    }

    void okEnterAndEscCloseIt()
    {
        QFETCH(int, how);
        QPointer<frmAbout> about = new frmAbout(m_fakes.application);
        about->show();
        QVERIFY(QTest::qWaitForWindowActive(about));
        if (how == 0)
            QTest::mouseClick(about->cmdOK, Qt::LeftButton);
        else
            QTest::keyClick(about, Qt::Key(how));
        QTRY_VERIFY(!about);
    }

    void theMenuEntryOpensOneWindowAndAFreshOneAfterClosing()
    {
        Module1 module1;
        auto *form = new Form1(m_fakes.services(), module1);
        form->show();
        form->mnuver->trigger();
        form->mnuver->trigger();
        QCOMPARE(aboutWindows(), 1);
        QPointer<frmAbout> first = form->aboutWindow();
        QVERIFY(first && first->isVisible());

        first->cmdOK->click();
        QTRY_VERIFY(!first);
        form->mnuver->trigger();
        QCOMPARE(aboutWindows(), 1);
        QVERIFY(form->aboutWindow());
        form->aboutWindow()->close();
        form->close();
        QTRY_COMPARE(aboutWindows(), 0);
    }

    // The About window has no owner: closing the main window leaves the program running
    // until the About window is closed too. Only a running event loop can show that.
    void itKeepsTheProgramRunningAfterTheMainWindowCloses()
    {
        Module1 module1;
        QPointer<Form1> form = new Form1(m_fakes.services(), module1);
        form->show();
        form->mnuver->trigger();
        QPointer<frmAbout> about = form->aboutWindow();

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

QTEST_MAIN(tst_About)
#include "tst_about.moc"
