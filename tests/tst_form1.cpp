#include "core/quantiser.h"
#include "fakes.h"
#include "main_window/form1.h"
#include "startup/module1.h"
#include "test_pictures.h"

#include <QDir>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QProgressBar>
#include <QScreen>
#include <QTemporaryDir>
#include <QTest>
#include <QToolBar>

// The main window as it starts, its conversion pass and its command dispatch.
class tst_Form1 : public QObject
{
    Q_OBJECT

    testing::FakeServices m_fakes;
    Module1 m_module1;
    std::unique_ptr<Form1> m_form;
    QTemporaryDir m_dir;

    Form1 &form() { return *m_form; }
    void load(const QImage &image) { m_form->Picture1->setPicture(core::PixelStore(image)); }
    QAction *action(const char *name) { return m_form->findChild<QAction *>(name); }

private slots:
    void init()
    {
        m_fakes = {};
        m_fakes.application.folder = m_dir.path();
        m_module1 = {};
        m_form = std::make_unique<Form1>(m_fakes.services(), m_module1);
        m_form->setAttribute(Qt::WA_DeleteOnClose, false);
        m_form->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_form.get()));
    }

    void cleanup() { m_form.reset(); }

    void startsEmptyWithTheDesignTimeLayoutCoveringTheScreen()
    {
        QCOMPARE(form().windowTitle(), QStringLiteral("65ｋ色Varnello"));
        QCOMPARE(form().BaseCaption, QStringLiteral("65ｋ色Varnello"));
        for (QLabel *label : {form().Label1, form().Label2, form().Label3})
            QCOMPARE(label->text(), QString());
        QVERIFY(!form().ProgressBar1->isVisible());
        QCOMPARE(form().Picture1->geometry(), QRect(8, 32, 324, 244));
        QCOMPARE(form().Picture1->contentsRect(), QRect(2, 2, 320, 240));
        QCOMPARE(form().Toolbar1->geometry(), QRect(0, 0, form().centralWidget()->width(), 28));
        QCOMPARE(QDir::currentPath(), QDir(m_dir.path()).canonicalPath());

        QCOMPARE(form().frameGeometry(), form().screen()->geometry());
        QCOMPARE(form().minimumSize(), form().maximumSize());
        const Qt::WindowFlags flags = form().windowFlags();
        QVERIFY((flags & Qt::WindowCloseButtonHint) && !(flags & Qt::WindowMinMaxButtonsHint));
    }

    void menuAndToolbarVocabulary()
    {
        QStringList menu;
        for (QAction *top : form().menuBar()->actions()) {
            menu << top->text();
            for (QAction *a : top->menu()->actions()) {
                menu << (a->isSeparator() ? QStringLiteral("-")
                                          : a->objectName() + '=' + a->text());
                QVERIFY(a->shortcut().isEmpty());
            }
        }
        QCOMPARE(menu,
                 (QStringList{QStringLiteral("ﾌｧｲﾙ(&F)"), QStringLiteral("mnuopn=開く(&O)"),
                              QStringLiteral("mnubat=自動処理(&B)"),
                              QStringLiteral("mnuasav=名前を付けてＢＩＮファイルを保存(&A)"),
                              QStringLiteral("mnussav=名前を付けてＢＭＰファイルを保存(&S)"), "-",
                              QStringLiteral("mnuend=終了(&X)"), QStringLiteral("実行(&R)"),
                              QStringLiteral("mnucnv=変換(&C)"), QStringLiteral("ﾍﾙﾌﾟ(&H)"),
                              QStringLiteral("mnuver=バージョン情報(&A)")}));

        QStringList buttons;
        for (QAction *a : form().Toolbar1->actions()) {
            buttons << a->objectName() + '/' + a->toolTip() + '/' +
                           a->property("imageKey").toString();
            QCOMPARE(form().Toolbar1->widgetForAction(a)->size(), QSize(23, 22));
            QVERIFY(!a->icon().isNull());
        }
        QCOMPARE(buttons, (QStringList{QStringLiteral("open/開く/imgopen"),
                                       QStringLiteral("conv/変換/imgconv"),
                                       QStringLiteral("binsave/BINファイル保存/imgbin"),
                                       QStringLiteral("bmpsave/BMPファイル保存/imgbmp"),
                                       QStringLiteral("auto/自動処理/imgauto")}));
    }

    // Before any picture, a conversion converts the 320 x 240 button-face background.
    void convertingTheBlankCanvas()
    {
        const QColor face = form().Picture1->palette().color(QPalette::Button);
        const auto q = core::quantise(core::rgb(face.red(), face.green(), face.blue()));
        form().mnucnv->trigger();
        QCOMPARE(form().BinBuf.size(), std::size_t(153600));
        for (std::size_t i = 0; i < form().BinBuf.size(); i += 2)
            if (form().BinBuf[i] != q.bin.low || form().BinBuf[i + 1] != q.bin.high)
                QFAIL("a background pixel converted wrongly");
        QCOMPARE(QSize(m_module1.ImgW, m_module1.ImgH), QSize(320, 240));
        QCOMPARE(form().Picture1->pixels().pixel(160, 120), q.preview);
        QCOMPARE(form().Label1->text(), QStringLiteral("変換完了!!"));
        QVERIFY(!form().ProgressBar1->isVisible());
        QCOMPARE(m_fakes.application.busyCalls, (QList<bool>{true, false}));
    }

    // While the pass runs (seen from the allocation of its buffer) the bar is up, counting
    // rows from 0, and the status says so; the last row is the last value. The menu entry and
    // the button convert alike.
    void progressAndStatusDuringThePass_data()
    {
        QTest::addColumn<QString>("how");
        QTest::addColumn<int>("height");
        QTest::newRow("menu") << "mnucnv" << 500;
        QTest::newRow("toolbar") << "conv" << 500;
        QTest::newRow("one row") << "mnucnv" << 1;
    }

    void progressAndStatusDuringThePass()
    {
        QFETCH(QString, how);
        QFETCH(int, height);
        load(testing::patternPicture(3, height));
        QStringList seen;
        form().setBinAllocator([&](std::uint64_t bytes) {
            seen << QStringLiteral("%1 bytes, bar %2 %3..%4 at %5, %6, busy %7")
                        .arg(bytes)
                        .arg(form().ProgressBar1->isVisible())
                        .arg(form().ProgressBar1->minimum())
                        .arg(form().ProgressBar1->maximum())
                        .arg(form().ProgressBar1->value())
                        .arg(form().Label1->text())
                        .arg(m_fakes.application.busyDepth);
            return core::allocateBinBuffer(bytes);
        });
        if (how == QLatin1String("mnucnv"))
            form().mnucnv->trigger();
        else
            form().Toolbar1_ButtonClick(action("conv"));
        QCOMPARE(seen,
                 QStringList{QStringLiteral("%1 bytes, bar 1 0..%2 at 0, 変換中．．．, busy 1")
                                 .arg(6 * height)
                                 .arg(height)});
        QCOMPARE(form().ProgressBar1->value(), height - 1);
        QCOMPARE(form().Label1->text(), QStringLiteral("変換完了!!"));
        core::PixelStore reference(testing::patternPicture(3, height));
        QCOMPARE(form().BinBuf, core::convertPicture(reference, false).value());
    }

    // Memory for a conversion can run out; the program warns and carries on with what it had.
    void aFailedAllocationWarnsAndKeepsThePreviousResult()
    {
        load(testing::patternPicture(4, 2));
        form().CONV();
        const core::BinBuffer before = form().BinBuf;

        load(testing::patternPicture(50, 50));
        form().setBinAllocator([](std::uint64_t) -> core::Expected<core::BinBuffer> {
            return core::Error{core::Error::Kind::OutOfMemory, {}, QStringLiteral("injected")};
        });
        form().mnucnv->trigger();
        QCOMPARE(form().BinBuf, before);
        QCOMPARE(QSize(m_module1.ImgW, m_module1.ImgH), QSize(4, 2));
        QVERIFY(!form().ProgressBar1->isVisible());
        QCOMPARE(m_fakes.application.busyDepth, 0);
        QCOMPARE(m_fakes.application.ended, 0);
        QCOMPARE(m_fakes.messageBox.shown.size(), 1);
        QCOMPARE(m_fakes.messageBox.shown[0].second, QStringLiteral("警告"));
        QVERIFY(m_fakes.messageBox.shown[0].first.contains(QStringLiteral("変換できませんでした")));
        QVERIFY(form().Label1->text() != QStringLiteral("変換中．．．"));
    }

    void unknownToolbarKeyDoesNothing_data()
    {
        QTest::addColumn<QString>("key");
        QTest::newRow("other word") << "save";
        QTest::newRow("case differs") << "Conv";
        QTest::newRow("longer") << "conv ";
        QTest::newRow("empty") << "";
    }

    void unknownToolbarKeyDoesNothing()
    {
        QFETCH(QString, key);
        QAction stray;
        stray.setObjectName(key);
        form().Toolbar1_ButtonClick(&stray);
        QVERIFY(form().BinBuf.empty() && m_fakes.fileDialog.requests.isEmpty());
        QVERIFY(!form().aboutWindow());
    }

    void endEndsAtOnceAlsoWithTheAboutWindowOpen()
    {
        form().mnuver->trigger();
        form().mnuend->trigger();
        QCOMPARE(m_fakes.application.ended, 1);
        form().aboutWindow()->close();
    }

    void accessKeysReachTheCommands()
    {
        QVERIFY(QTest::qWaitForWindowActive(m_form.get()));
        const auto press = [this](Qt::Key menuKey, QMenu *menu, Qt::Key entryKey) {
            QTest::keyClick(m_form.get(), menuKey, Qt::AltModifier);
            QTRY_VERIFY(QApplication::activePopupWidget() == static_cast<QWidget *>(menu));
            QTest::keyClick(menu, entryKey);
        };
        m_fakes.fileDialog.cancel();
        press(Qt::Key_F, form().mnufile, Qt::Key_O);
        QTRY_COMPARE(m_fakes.fileDialog.requests.size(), 1); // OPEN asked for a file
        press(Qt::Key_R, form().mnugo, Qt::Key_C);
        QTRY_COMPARE(form().Label1->text(), QStringLiteral("変換完了!!"));
        m_fakes.fileDialog.cancel();
        press(Qt::Key_F, form().mnufile, Qt::Key_A);
        QTRY_COMPARE(m_fakes.fileDialog.requests.size(), 2); // BINSAVE
        QCOMPARE(m_fakes.fileDialog.requests[1].filter, QStringLiteral("Binary(*.BIN)|*.BIN"));
        press(Qt::Key_H, form().mnuhlp, Qt::Key_A);
        QTRY_VERIFY(form().aboutWindow());
        form().aboutWindow()->close();
    }
};

QTEST_MAIN(tst_Form1)
#include "tst_form1.moc"
