#include "core/picture_loader.h"
#include "core/quantiser.h"
#include "fakes.h"
#include "main_window/form1.h"
#include "main_window/layout.h"
#include "startup/module1.h"
#include "test_pictures.h"

#include <QDir>
#include <QLabel>
#include <QMenu>
#include <QProgressBar>
#include <QTemporaryDir>
#include <QTest>

using Messages = QList<QPair<QString, QString>>;

// The file commands of the main window, driven through the scripted dialog with real files.
class tst_Commands : public QObject
{
    Q_OBJECT

    testing::FakeServices m_fakes;
    Module1 m_module1;
    std::unique_ptr<Form1> m_form;
    std::unique_ptr<QTemporaryDir> m_dir;

    Form1 &form() { return *m_form; }
    testing::FakeFileDialog &dialog() { return m_fakes.fileDialog; }
    const Messages &messages() const { return m_fakes.messageBox.shown; }

    QString path(const QString &name) const
    {
        return QDir::toNativeSeparators(m_dir->filePath(name));
    }

    QString picture(const QString &name, int width, int height, const char *format = "BMP")
    {
        const QString p = path(name);
        if (!testing::patternPicture(width, height).save(p, format))
            qFatal("cannot write %s", qPrintable(p));
        return p;
    }

    void open(const QString &p)
    {
        dialog().choose({p});
        form().mnuopn->trigger();
    }

    // What converting a file gives, straight from the core, to compare the window's files with.
    static QByteArray binOf(const QString &p)
    {
        auto store = core::loadPicture(p);
        auto bin = core::convertPicture(store.value(), false);
        return QByteArray(reinterpret_cast<const char *>(bin.value().data()),
                          qsizetype(bin.value().size()));
    }

    void batch(const QStringList &paths)
    {
        dialog().choose(paths);
        form().mnubat->trigger();
    }

    QString warningsText() const
    {
        QStringList texts;
        for (const auto &[text, title] : messages())
            texts << title + QLatin1Char(':') + text;
        return texts.join(QLatin1Char('|'));
    }

private slots:
    void init()
    {
        m_fakes = {};
        m_dir = std::make_unique<QTemporaryDir>();
        m_fakes.application.folder = m_dir->path();
        m_module1 = {};
        m_form = std::make_unique<Form1>(m_fakes.services(), m_module1);
        m_form->setAttribute(Qt::WA_DeleteOnClose, false);
        m_form->show();
    }

    void cleanup()
    {
        m_form.reset();
        m_dir.reset();
    }

    // --- OPEN and LAYOUT ---

    void layoutBesideThePicture_data()
    {
        QTest::addColumn<int>("width");
        QTest::addColumn<int>("height");
        QTest::addColumn<int>("progressTop");
        QTest::addColumn<int>("statusTop");
        QTest::addColumn<int>("sizeLeft");
        QTest::newRow("320 x 240") << 320 << 240 << 277 << 277 << 338;
        QTest::newRow("16 x 16: status not above 80") << 16 << 16 << 53 << 80 << 34;
        QTest::newRow("T exactly 80") << 16 << 43 << 80 << 80 << 34;
        QTest::newRow("T 81") << 16 << 44 << 81 << 81 << 34;
        QTest::newRow("1024 x 768: no size limit here") << 1024 << 768 << 805 << 805 << 1042;
    }

    void layoutBesideThePicture()
    {
        QFETCH(int, width);
        QFETCH(int, height);
        QFETCH(int, progressTop);
        QFETCH(int, statusTop);
        QFETCH(int, sizeLeft);
        open(picture("p.bmp", width, height));
        QCOMPARE(form().Picture1->ScaleWidth(), width);
        QCOMPARE(form().Picture1->ScaleHeight(), height);
        QCOMPARE(form().Picture1->pos(), QPoint(8, 32));
        QCOMPARE(form().ProgressBar1->geometry().topLeft(), QPoint(136, progressTop));
        QCOMPARE(form().Label1->pos(), QPoint(8, statusTop));
        QCOMPARE(form().Label2->pos(), QPoint(sizeLeft, 40));
        QCOMPARE(form().Label3->pos(), QPoint(sizeLeft, 56));
        QCOMPARE(form().Label2->text(), QStringLiteral("X=%1").arg(width));
        QCOMPARE(form().Label3->text(), QStringLiteral("Y=%1").arg(height));
        QCOMPARE(form().Label1->text(), QStringLiteral(" "));
        QVERIFY(messages().isEmpty());
    }

    void layoutOfAPictureTallerThanSixteenBits()
    {
        const auto layout = main_window::afterLoadLayout(8, 32, 3, 40000);
        QCOMPARE(layout.progressTop, qint64(40037));
        QCOMPARE(layout.statusTop, qint64(40037));
        QCOMPARE(layout.heightCaption, QStringLiteral("Y=40000"));
    }

    void openSetsModeFilterAndCaption()
    {
        form().AutoFlag = 1;
        const QString first = picture("a.bmp", 10, 10);
        const QString second = picture("b.jpg", 12, 8, "JPEG");
        open(first);
        open(second);
        QCOMPARE(form().windowTitle(), QStringLiteral("65ｋ色Varnello(") + second + ")");
        QCOMPARE(form().AutoFlag, std::int16_t(0));
        QCOMPARE(dialog().requests.last().filter,
                 QStringLiteral("Picture(*.BMP)|*.BMP|Picture(*.JPG)|*.JPG"));
        QCOMPARE(dialog().requests.last().mode, platform::FileDialogBackend::Mode::Open);
        // The dialog opens with the name the last file command left.
        QCOMPARE(dialog().requests.last().fileName, first);
    }

    void aFileThatDoesNotLoadChangesNothingButSaysSo_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QByteArray>("bytes"); // null: no such file
        QTest::newRow("not a picture") << "notes.bmp" << QByteArray("plain words");
        QTest::newRow("missing") << "gone.jpg" << QByteArray();
    }

    void aFileThatDoesNotLoadChangesNothingButSaysSo()
    {
        QFETCH(QString, name);
        QFETCH(QByteArray, bytes);
        open(picture("ok.bmp", 20, 10));
        const QString caption = form().windowTitle();
        const QImage canvas = form().Picture1->pixels().image();

        const QString p = path(name);
        if (!bytes.isNull())
            QVERIFY(testing::writeAll(p, bytes));
        open(p);
        QCOMPARE(form().windowTitle(), caption);
        QCOMPARE(form().Picture1->pixels().image(), canvas);
        QCOMPARE(form().Label2->text(), QStringLiteral("X=20"));
        QCOMPARE(messages().size(), 1);
        QCOMPARE(messages()[0].second, QStringLiteral("警告"));
        QVERIFY(messages()[0].first.startsWith(
            QStringLiteral("画像ファイルを読み込めませんでした。\n") + p));
    }

    void cancelledDialogsChangeNothing_data()
    {
        QTest::addColumn<QString>("entry");
        for (const char *e : {"mnuopn", "mnuasav", "mnussav", "mnubat"})
            QTest::newRow(e) << QString::fromLatin1(e);
    }

    void cancelledDialogsChangeNothing()
    {
        QFETCH(QString, entry);
        const QString p = picture("a.bmp", 30, 20);
        open(p);
        form().mnucnv->trigger();
        const core::BinBuffer bin = form().BinBuf;
        const QImage canvas = form().Picture1->pixels().image();
        const QString caption = form().windowTitle();
        const QStringList before = QDir(m_dir->path()).entryList(QDir::Files);

        dialog().cancel();
        form().findChild<QAction *>(entry)->trigger();
        QCOMPARE(form().BinBuf, bin);
        QCOMPARE(form().Picture1->pixels().image(), canvas);
        QCOMPARE(form().windowTitle(), caption);
        QCOMPARE(form().Label1->text(), QStringLiteral("変換完了!!"));
        QCOMPARE(QDir(m_dir->path()).entryList(QDir::Files), before);
        QVERIFY(messages().isEmpty());
    }

    // --- BINSAVE and BMPSAVE ---

    // The BIN file holds the last conversion, which need not be the picture on show.
    void binSaveWritesTheLastConversion()
    {
        const QString converted = picture("a.bmp", 320, 240);
        open(converted);
        form().mnucnv->trigger();
        open(picture("b.bmp", 50, 50));
        dialog().choose({path("out.BIN")});
        form().mnuasav->trigger();
        QCOMPARE(testing::readAll(path("out.BIN")).size(), 153600);
        QCOMPARE(testing::readAll(path("out.BIN")), binOf(converted));
        QCOMPARE(form().Label1->text(), QStringLiteral("ＢＩＮファイル保存終了!!"));
        QCOMPARE(dialog().requests.last().mode, platform::FileDialogBackend::Mode::Save);
    }

    void binSaveBeforeAnyConversionWarnsAndWritesNothing()
    {
        form().mnuasav->trigger();
        QVERIFY(dialog().requests.isEmpty());
        QCOMPARE(messages(),
                 (Messages{{QStringLiteral("変換されていません。先に変換してください。"),
                            QStringLiteral("警告")}}));
    }

    void bmpSaveWritesThePreview()
    {
        const QString source = picture("a.bmp", 33, 17);
        open(source);
        form().mnucnv->trigger();
        dialog().choose({path("preview.BMP")});
        form().mnussav->trigger();
        QCOMPARE(form().Label1->text(), QStringLiteral("ＢＭＰファイル保存終了!!"));
        QCOMPARE(dialog().requests.last().filter, QStringLiteral("*.BMP|*.BMP"));

        const QImage saved(path("preview.BMP"));
        const QImage original(source);
        QCOMPARE(saved.size(), QSize(33, 17));
        for (int y = 0; y < 17; ++y)
            for (int x = 0; x < 33; ++x)
                QCOMPARE(core::fromQRgb(saved.pixel(x, y)),
                         core::quantise(core::fromQRgb(original.pixel(x, y))).preview);
    }

    void namesCarryFromOneCommandToTheNext()
    {
        open(picture("a.bmp", 4, 4));
        form().mnucnv->trigger();
        dialog().choose({path("one.BIN")});
        form().mnuasav->trigger();
        dialog().choose({path("two.BIN")});
        form().mnuasav->trigger();
        dialog().cancel();
        form().mnussav->trigger();
        QCOMPARE(dialog().requests.size(), 4);
        QCOMPARE(dialog().requests[1].fileName, QString()); // BINSAVE always starts empty
        QCOMPARE(dialog().requests[2].fileName, QString());
        QCOMPARE(dialog().requests[3].fileName, path("two.BIN")); // BMPSAVE offers the last name
    }

    void savesFailLoudlyAndLeaveOldFilesAlone_data()
    {
        QTest::addColumn<QString>("entry");
        QTest::newRow("BIN") << "mnuasav";
        QTest::newRow("bitmap") << "mnussav";
    }

    void savesFailLoudlyAndLeaveOldFilesAlone()
    {
        QFETCH(QString, entry);
        open(picture("a.bmp", 4, 4));
        form().mnucnv->trigger();
        const QString blocked = path("folder.BIN");
        QVERIFY(QDir().mkdir(blocked));
        dialog().choose({path("no/such/folder/x.BIN")});
        form().findChild<QAction *>(entry)->trigger();
        dialog().choose({blocked});
        form().findChild<QAction *>(entry)->trigger();
        QCOMPARE(messages().size(), 2);
        for (const auto &[text, title] : messages()) {
            QCOMPARE(title, QStringLiteral("警告"));
            QVERIFY(text.startsWith(QStringLiteral("ファイルを保存できませんでした。\n")));
        }
        QVERIFY(messages()[0].first.contains(path("no/such/folder/x.BIN")));
        QVERIFY(messages()[1].first.contains(blocked));
        QCOMPARE(form().Label1->text(), QStringLiteral("変換完了!!")); // no false success
        QCOMPARE(QDir(m_dir->path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot),
                 (QStringList{"a.bmp", "folder.BIN"}));
    }

    void savesDoNotReplaceTheOpenPicture_data()
    {
        QTest::addColumn<QString>("entry");
        QTest::newRow("BIN") << "mnuasav";
        QTest::newRow("bitmap") << "mnussav";
    }

    void savesDoNotReplaceTheOpenPicture()
    {
        QFETCH(QString, entry);
        const QString source = picture("a.bmp", 4, 4);
        const QByteArray before = testing::readAll(source);
        open(source);
        form().mnucnv->trigger();
        dialog().choose({source});
        form().findChild<QAction *>(entry)->trigger();
        QCOMPARE(testing::readAll(source), before);
        QCOMPARE(messages().size(), 1);
        QVERIFY(messages()[0].first.contains(source));
    }

    // --- AUTO ---

    void batchWritesEachPictureBesideItself_data()
    {
        QTest::addColumn<int>("files");
        QTest::newRow("one file, a plain path") << 1;
        QTest::newRow("three files, BMP and JPEG") << 3;
    }

    void batchWritesEachPictureBesideItself()
    {
        QFETCH(int, files);
        const QStringList sources = QStringList{picture("a.bmp", 320, 240), picture("b.bmp", 7, 3),
                                                picture("c.jpg", 9, 9, "JPEG")}
                                        .mid(0, files);
        batch(sources);
        for (const QString &source : sources)
            QCOMPARE(testing::readAll(source.chopped(3) + "BIN"), binOf(source));
        QCOMPARE(testing::readAll(path("a.BIN")).size(), 153600);
        QCOMPARE(messages(),
                 (Messages{{QStringLiteral("自動処理が終了しました。"), QStringLiteral("通知")}}));
        QCOMPARE(form().AutoFlag, std::int16_t(1));
        QCOMPARE(form().Label1->text(), QStringLiteral("ＢＩＮファイル保存終了!!"));
        QCOMPARE(form().windowTitle(), QStringLiteral("65ｋ色Varnello(") + sources.last() + ")");
        QCOMPARE(form().CurFile, sources.last().chopped(3) + "BIN");
        QCOMPARE(dialog().requests.last().flags & 0x80200u, 0x80200u);
        // The canvas holds the last picture as loaded: batch mode repaints nothing.
        QCOMPARE(form().Picture1->pixels().image(),
                 core::PixelStore(QImage(sources.last())).image());
    }

    void batchAtTheRootNamesRootPaths()
    {
        const QString root = QDir::rootPath();
        batch({root + "varnello-no-such-a.bmp", root + "varnello-no-such-b.bmp"});
        QCOMPARE(messages().size(), 1);
        QVERIFY2(messages()[0].first.contains(
                     QDir::toNativeSeparators(root + "varnello-no-such-a.bmp\n")),
                 qPrintable(messages()[0].first));
    }

    void sizeLimit_data()
    {
        QTest::addColumn<int>("width");
        QTest::addColumn<int>("height");
        QTest::addColumn<bool>("converted");
        QTest::newRow("exactly 640 x 480") << 640 << 480 << true;
        QTest::newRow("641 wide") << 641 << 480 << false;
        QTest::newRow("481 high") << 640 << 481 << false;
    }

    void sizeLimit()
    {
        QFETCH(int, width);
        QFETCH(int, height);
        QFETCH(bool, converted);
        batch({picture("big.bmp", width, height)});
        QCOMPARE(QFile::exists(path("big.BIN")), converted);
        if (converted) {
            QCOMPARE(testing::readAll(path("big.BIN")).size(), 614400);
        } else {
            QCOMPARE(messages(),
                     (Messages{{QStringLiteral("画像サイズオーバーです。処理を中断します。"),
                                QStringLiteral("警告")}}));
            // The refused picture stays in the canvas; the layout is not redone for it.
            QCOMPARE(form().Picture1->ScaleWidth(), width);
            QCOMPARE(form().Label2->text(), QString());
        }
    }

    void runStopsAtTheSecondOfThree_data()
    {
        QTest::addColumn<bool>("tooLarge"); // otherwise: not a picture
        QTest::newRow("too large") << true;
        QTest::newRow("not a picture") << false;
    }

    void runStopsAtTheSecondOfThree()
    {
        QFETCH(bool, tooLarge);
        const QString second = tooLarge ? picture("b.bmp", 700, 10) : path("b.bmp");
        if (!tooLarge)
            QVERIFY(testing::writeAll(second, "not a picture"));
        batch({picture("a.bmp", 5, 5), second, picture("c.bmp", 5, 5)});
        QVERIFY(QFile::exists(path("a.BIN")));
        QVERIFY(!QFile::exists(path("b.BIN")));
        QVERIFY(!QFile::exists(path("c.BIN")));
        QCOMPARE(messages().size(), 1); // the warning, and no closing notice
        QCOMPARE(messages()[0].second, QStringLiteral("警告"));
        if (!tooLarge)
            QVERIFY(messages()[0].first.contains(second));
    }

    void outputNamesAndSharedTargets()
    {
        const QString jpeg = picture("photo.jpeg", 6, 6, "JPEG");
        const QString bmp = picture("x,y.bmp", 4, 4);
        const QString sameBmp = picture("s.bmp", 3, 3);
        const QString sameJpg = picture("s.jpg", 5, 5, "JPEG");
        batch({jpeg, bmp, sameBmp, sameJpg});
        QVERIFY(QFile::exists(path("photo.jBIN")));
        QVERIFY(QFile::exists(path("x,y.BIN")));
        // Both write s.BIN, the later name in the list last.
        QCOMPARE(testing::readAll(path("s.BIN")), binOf(sameJpg));
        QCOMPARE(messages().size(), 1);
    }

    void batchNeverReplacesItsSource()
    {
        const QString source = path("shot.BIN");
        QVERIFY(testing::patternPicture(8, 8).save(source, "BMP"));
        const QByteArray before = testing::readAll(source);
        batch({source});
        QCOMPARE(testing::readAll(source), before);
        QCOMPARE(messages().size(), 1);
        QCOMPARE(messages()[0].second, QStringLiteral("警告"));
        QVERIFY(messages()[0].first.contains(source));
    }

    void batchStopsWhenAnOutputCannotBeWritten()
    {
        QVERIFY(QDir().mkdir(path("b.BIN")));
        batch({picture("a.bmp", 5, 5), picture("b.bmp", 5, 5), picture("c.bmp", 5, 5)});
        QVERIFY(QFile::exists(path("a.BIN")));
        QVERIFY(!QFile::exists(path("c.BIN")));
        QCOMPARE(messages().size(), 1);
        QVERIFY(messages()[0].first.startsWith(
            QStringLiteral("ファイルを保存できませんでした。\n") + path("b.BIN")));
    }

    void afterARunTheCanvasKeepsThePictureUntilTheNextOpen()
    {
        const QString source = picture("a.bmp", 12, 12);
        batch({source});
        const QImage loaded = form().Picture1->pixels().image();
        form().mnucnv->trigger();
        QCOMPARE(form().BinBuf.size(), std::size_t(288));
        QCOMPARE(form().Picture1->pixels().image(), loaded);

        // The open dialog still allows several files, and several are no picture to open.
        dialog().choose({source, picture("b.bmp", 3, 3)});
        form().mnuopn->trigger();
        QCOMPARE(dialog().requests.last().flags & 0x80200u, 0x80200u);
        QCOMPARE(form().AutoFlag, std::int16_t(0));
        QCOMPARE(form().Picture1->pixels().image(), loaded);

        open(source);
        form().mnucnv->trigger();
        QCOMPARE(form().Picture1->pixels().pixel(3, 3),
                 core::quantise(core::fromQRgb(QImage(source).pixel(3, 3))).preview);
    }

    // --- dispatch of the file commands ---

    void everyEntryAndButtonRunsItsCommand_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("filter");
        const QString pictures = QStringLiteral("Picture(*.BMP)|*.BMP|Picture(*.JPG)|*.JPG");
        QTest::newRow("mnuopn") << "mnuopn" << pictures;
        QTest::newRow("open") << "open" << pictures;
        QTest::newRow("mnubat") << "mnubat" << pictures;
        QTest::newRow("auto") << "auto" << pictures;
        QTest::newRow("mnuasav") << "mnuasav"
                                 << "Binary(*.BIN)|*.BIN";
        QTest::newRow("binsave") << "binsave"
                                 << "Binary(*.BIN)|*.BIN";
        QTest::newRow("mnussav") << "mnussav"
                                 << "*.BMP|*.BMP";
        QTest::newRow("bmpsave") << "bmpsave"
                                 << "*.BMP|*.BMP";
    }

    void everyEntryAndButtonRunsItsCommand()
    {
        QFETCH(QString, name);
        QFETCH(QString, filter);
        form().CONV(); // so that a BIN save gets as far as its dialog
        dialog().cancel();
        auto *action = form().findChild<QAction *>(name);
        QVERIFY(action);
        if (name.startsWith(QLatin1String("mnu")))
            action->trigger();
        else
            form().Toolbar1_ButtonClick(action);
        QCOMPARE(dialog().requests.size(), 1);
        QCOMPARE(dialog().requests[0].filter, filter);
    }
};

QTEST_MAIN(tst_Commands)
#include "tst_commands.moc"
