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
#include <QToolButton>

// The main window as it starts, its conversion pass and its command dispatch.
class tst_Form1 : public QObject
{
    Q_OBJECT

    testing::FakeServices m_fakes;
    Module1 m_module1;
    std::unique_ptr<Form1> m_form;
    QTemporaryDir m_dir;

    Form1 &form() { return *m_form; }

    core::Colour buttonFace() const
    {
        const QColor face = m_form->Picture1->palette().color(QPalette::Button);
        return core::rgb(face.red(), face.green(), face.blue());
    }

    void loadIntoCanvas(const QImage &image)
    {
        m_form->Picture1->setPicture(core::PixelStore(image));
    }

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

    void startsEmptyWithTheDesignTimeLayout()
    {
        QCOMPARE(form().windowTitle(), QStringLiteral("65ｋ色Varnello"));
        QCOMPARE(form().BaseCaption, QStringLiteral("65ｋ色Varnello"));
        QCOMPARE(form().Label1->text(), QString());
        QCOMPARE(form().Label2->text(), QString());
        QCOMPARE(form().Label3->text(), QString());
        QVERIFY(!form().ProgressBar1->isVisible());
        QCOMPARE(form().Picture1->geometry(), QRect(8, 32, 324, 244));
        QCOMPARE(form().Picture1->contentsRect(), QRect(2, 2, 320, 240));
        QCOMPARE(form().Toolbar1->geometry().topLeft(), QPoint(0, 0));
        QCOMPARE(form().Toolbar1->height(), 28);
        QCOMPARE(form().Toolbar1->width(), form().centralWidget()->width());
        QCOMPARE(form().AutoFlag, std::int16_t(0));
        QVERIFY(form().BinBuf.empty());
        QCOMPARE(QDir::currentPath(), QDir(m_dir.path()).canonicalPath());
    }

    void coversTheScreenWithFixedSize()
    {
        const QRect screen = form().screen()->geometry();
        QCOMPARE(form().frameGeometry(), screen);
        QCOMPARE(form().minimumSize(), form().maximumSize());
        QVERIFY(!(form().windowFlags() & Qt::WindowMinimizeButtonHint));
        QVERIFY(!(form().windowFlags() & Qt::WindowMaximizeButtonHint));
        QVERIFY(form().windowFlags() & Qt::WindowCloseButtonHint);
    }

    void menuEntries_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("caption");
        QTest::newRow("mnuopn") << "mnuopn" << QStringLiteral("開く(&O)");
        QTest::newRow("mnubat") << "mnubat" << QStringLiteral("自動処理(&B)");
        QTest::newRow("mnuasav") << "mnuasav"
                                 << QStringLiteral("名前を付けてＢＩＮファイルを保存(&A)");
        QTest::newRow("mnussav") << "mnussav"
                                 << QStringLiteral("名前を付けてＢＭＰファイルを保存(&S)");
        QTest::newRow("mnuend") << "mnuend" << QStringLiteral("終了(&X)");
        QTest::newRow("mnucnv") << "mnucnv" << QStringLiteral("変換(&C)");
        QTest::newRow("mnuver") << "mnuver" << QStringLiteral("バージョン情報(&A)");
    }

    void menuEntries()
    {
        QFETCH(QString, name);
        QFETCH(QString, caption);
        auto *action = form().findChild<QAction *>(name);
        QVERIFY(action);
        QCOMPARE(action->text(), caption);
        QVERIFY(action->shortcut().isEmpty());
        QVERIFY(action->isEnabled() && action->isVisible());
    }

    void menuBarOrderAndSeparator()
    {
        QStringList titles;
        for (QAction *a : form().menuBar()->actions())
            titles << a->text();
        QCOMPARE(titles, (QStringList{QStringLiteral("ﾌｧｲﾙ(&F)"), QStringLiteral("実行(&R)"),
                                      QStringLiteral("ﾍﾙﾌﾟ(&H)")}));
        QStringList file;
        for (QAction *a : form().mnufile->actions())
            file << (a->isSeparator() ? QStringLiteral("-") : a->objectName());
        QCOMPARE(file, (QStringList{"mnuopn", "mnubat", "mnuasav", "mnussav", "-", "mnuend"}));
    }

    void toolbarButtons()
    {
        QStringList keys, tips, images;
        for (QAction *a : form().Toolbar1->actions()) {
            keys << a->objectName();
            tips << a->toolTip();
            images << a->property("imageKey").toString();
            QCOMPARE(form().Toolbar1->widgetForAction(a)->size(), QSize(23, 22));
            QVERIFY(!a->icon().isNull());
        }
        QCOMPARE(keys, (QStringList{"open", "conv", "binsave", "bmpsave", "auto"}));
        QCOMPARE(tips,
                 (QStringList{QStringLiteral("開く"), QStringLiteral("変換"),
                              QStringLiteral("BINファイル保存"), QStringLiteral("BMPファイル保存"),
                              QStringLiteral("自動処理")}));
        QCOMPARE(images, (QStringList{"imgopen", "imgconv", "imgbin", "imgbmp", "imgauto"}));
    }

    // Before any picture, a conversion converts the 320 x 240 button-face background.
    void convertingTheBlankCanvas()
    {
        form().mnucnv->trigger();
        QCOMPARE(form().BinBuf.size(), std::size_t(153600));
        const auto q = core::quantise(buttonFace());
        for (std::size_t i = 0; i < form().BinBuf.size(); i += 2)
            if (form().BinBuf[i] != q.bin.low || form().BinBuf[i + 1] != q.bin.high)
                QFAIL("a background pixel converted wrongly");
        QCOMPARE(m_module1.ImgW, 320);
        QCOMPARE(m_module1.ImgH, 240);
        QCOMPARE(form().Picture1->pixels().pixel(160, 120), q.preview);
        QCOMPARE(form().Label1->text(), QStringLiteral("変換完了!!"));
        QVERIFY(!form().ProgressBar1->isVisible());
        QCOMPARE(m_fakes.application.busyCalls, (QList<bool>{true, false}));
    }

    // While the pass runs (seen from the allocation of its buffer) the bar is up, counting
    // rows from 0, and the status says so; afterwards the last row is the last value.
    void progressAndStatusDuringThePass_data()
    {
        QTest::addColumn<QString>("how");
        QTest::newRow("menu") << "mnucnv";
        QTest::newRow("toolbar") << "conv";
    }

    void progressAndStatusDuringThePass()
    {
        QFETCH(QString, how);
        loadIntoCanvas(testing::patternPicture(3, 500));
        bool probed = false;
        form().setBinAllocator([&](std::uint64_t bytes) {
            probed = true;
            [&] {
                QCOMPARE(bytes, std::uint64_t(3000));
                QVERIFY(form().ProgressBar1->isVisible());
                QCOMPARE(form().ProgressBar1->minimum(), 0);
                QCOMPARE(form().ProgressBar1->maximum(), 500);
                QCOMPARE(form().ProgressBar1->value(), 0);
                QCOMPARE(form().Label1->text(), QStringLiteral("変換中．．．"));
                QCOMPARE(m_fakes.application.busyDepth, 1);
            }();
            return core::allocateBinBuffer(bytes);
        });
        if (how == QLatin1String("mnucnv"))
            form().mnucnv->trigger();
        else
            form().Toolbar1_ButtonClick(form().findChild<QAction *>(how));
        QVERIFY(probed);
        QCOMPARE(form().ProgressBar1->value(), 499);
        QCOMPARE(form().Label1->text(), QStringLiteral("変換完了!!"));
        QCOMPARE(m_fakes.application.busyDepth, 0);
    }

    void onePixelPicture()
    {
        loadIntoCanvas(testing::patternPicture(1, 1));
        form().CONV();
        QCOMPARE(form().BinBuf.size(), std::size_t(2));
        QCOMPARE(form().ProgressBar1->maximum(), 1);
        QCOMPARE(form().ProgressBar1->value(), 0);
        QCOMPARE(m_module1.ImgW, 1);
        QCOMPARE(m_module1.ImgH, 1);
    }

    void batchModeLeavesTheCanvasAsLoaded_data()
    {
        QTest::addColumn<int>("autoFlag");
        QTest::newRow("interactive") << 0;
        QTest::newRow("batch") << 1;
        QTest::newRow("any other value repaints") << 2;
    }

    void batchModeLeavesTheCanvasAsLoaded()
    {
        QFETCH(int, autoFlag);
        const QImage picture = testing::patternPicture(40, 30);
        loadIntoCanvas(picture);
        form().AutoFlag = std::int16_t(autoFlag);
        form().CONV();
        for (int y = 0; y < 30; ++y) {
            for (int x = 0; x < 40; ++x) {
                const core::Colour c = core::fromQRgb(picture.pixel(x, y));
                QCOMPARE(form().Picture1->pixels().pixel(x, y),
                         autoFlag == 1 ? c : core::quantise(c).preview);
            }
        }
    }

    // Memory for a conversion can run out; the program warns and carries on with what it had.
    void aFailedAllocationWarnsAndKeepsThePreviousResult()
    {
        loadIntoCanvas(testing::patternPicture(4, 2));
        form().CONV();
        const core::BinBuffer before = form().BinBuf;

        loadIntoCanvas(testing::patternPicture(50, 50));
        form().setBinAllocator([](std::uint64_t) -> core::Expected<core::BinBuffer> {
            return core::Error{core::Error::Kind::OutOfMemory, {}, QStringLiteral("injected")};
        });
        form().mnucnv->trigger();
        QCOMPARE(form().BinBuf, before);
        QCOMPARE(m_module1.ImgW, 4);
        QCOMPARE(m_module1.ImgH, 2);
        QVERIFY(!form().ProgressBar1->isVisible());
        QCOMPARE(m_fakes.application.busyDepth, 0);
        QCOMPARE(m_fakes.application.ended, 0);
        QCOMPARE(m_fakes.messageBox.shown.size(), 1);
        QCOMPARE(m_fakes.messageBox.shown[0].second, QStringLiteral("警告"));
        QVERIFY(m_fakes.messageBox.shown[0].first.contains(QStringLiteral("変換できませんでした")));
        QVERIFY(form().Label1->text() != QStringLiteral("変換中．．．"));
    }

    void menuAndButtonConvertAlike()
    {
        loadIntoCanvas(testing::patternPicture(20, 10));
        form().mnucnv->trigger();
        const core::BinBuffer byMenu = form().BinBuf;
        loadIntoCanvas(testing::patternPicture(20, 10));
        form().Toolbar1_ButtonClick(form().findChild<QAction *>("conv"));
        QCOMPARE(form().BinBuf, byMenu);
        QCOMPARE(form().Label1->text(), QStringLiteral("変換完了!!"));
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
        QVERIFY(form().BinBuf.empty());
        QCOMPARE(form().Label1->text(), QString());
        QVERIFY(m_fakes.fileDialog.requests.isEmpty());
        QVERIFY(!form().aboutWindow());
    }

    void endEndsAtOnce()
    {
        form().mnuver->trigger();
        form().mnuend->trigger();
        QCOMPARE(m_fakes.application.ended, 1);
        form().aboutWindow()->close();
    }

    void accessKeysReachTheCommands()
    {
        QVERIFY(QTest::qWaitForWindowActive(m_form.get()));
        QTest::keyClick(m_form.get(), Qt::Key_R, Qt::AltModifier);
        QTRY_VERIFY(QApplication::activePopupWidget() == form().mnugo);
        QTest::keyClick(form().mnugo, Qt::Key_C);
        QTRY_COMPARE(form().Label1->text(), QStringLiteral("変換完了!!"));

        QTest::keyClick(m_form.get(), Qt::Key_H, Qt::AltModifier);
        QTRY_VERIFY(QApplication::activePopupWidget() == form().mnuhlp);
        QTest::keyClick(form().mnuhlp, Qt::Key_A);
        QTRY_VERIFY(form().aboutWindow());
        form().aboutWindow()->close();
    }
};

QTEST_MAIN(tst_Form1)
#include "tst_form1.moc"
