#include "core/picture_loader.h"
#include "core/quantiser.h"
#include "fakes.h"
#include "main_window/form1.h"
#include "main_window/layout.h"
#include "startup/module1.h"
#include "test_pictures.h"

#include <QDir>
#include <QLabel>
#include <QMap>
#include <QProgressBar>
#include <QTemporaryDir>
#include <QTest>

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

    void run(const char *entry, const QStringList &chosen)
    {
        if (chosen.isEmpty())
            dialog().cancel();
        else
            dialog().choose(chosen);
        form().findChild<QAction *>(entry)->trigger();
    }

    // The folder's files, and the message boxes shown as "title: first line".
    QString files() const
    {
        return QDir(m_dir->path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot).join(' ');
    }
    QString said() const
    {
        QStringList lines;
        for (const auto &[text, title] : m_fakes.messageBox.shown)
            lines << title + ": " + text.section('\n', 0, 1);
        return lines.join(" | ");
    }

    static QByteArray binOf(const QString &p)
    {
        auto store = core::loadPicture(p);
        auto bin = core::convertPicture(store.value(), false);
        return QByteArray(reinterpret_cast<const char *>(bin.value().data()),
                          qsizetype(bin.value().size()));
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

    void layoutBesideThePicture_data()
    {
        QTest::addColumn<QSize>("size");
        QTest::addColumn<QString>("layout");
        QTest::newRow("320 x 240")
            << QSize(320, 240) << "bar 277, status 277, sizes at 338: X=320 Y=240";
        QTest::newRow("16 x 16: status not above 80")
            << QSize(16, 16) << "bar 53, status 80, sizes at 34: X=16 Y=16";
        QTest::newRow("T exactly 80")
            << QSize(16, 43) << "bar 80, status 80, sizes at 34: X=16 Y=43";
        QTest::newRow("T 81") << QSize(16, 44) << "bar 81, status 81, sizes at 34: X=16 Y=44";
        QTest::newRow("1024 x 768: no size limit")
            << QSize(1024, 768) << "bar 805, status 805, sizes at 1042: X=1024 Y=768";
    }

    void layoutBesideThePicture()
    {
        QFETCH(QSize, size);
        QFETCH(QString, layout);
        run("mnuopn", {picture("p.bmp", size.width(), size.height())});
        QCOMPARE(QStringLiteral("bar %1, status %2, sizes at %3: %4 %5")
                     .arg(form().ProgressBar1->y())
                     .arg(form().Label1->y())
                     .arg(form().Label2->x())
                     .arg(form().Label2->text(), form().Label3->text()),
                 layout);
        QCOMPARE(form().Label1->text(), QStringLiteral(" "));
        QCOMPARE(QPoint(form().ProgressBar1->x(), form().Label3->y()), QPoint(136, 56));
        QCOMPARE(form().Picture1->geometry(), QRect(8, 32, size.width() + 4, size.height() + 4));
        // Wide arithmetic: a picture taller than 32 730 pixels lays out too.
        QCOMPARE(main_window::afterLoadLayout(8, 32, 3, 40000).statusTop, qint64(40037));
    }

    void openNamesThePictureAndLeavesBatchMode()
    {
        form().AutoFlag = 1;
        const QString first = picture("a.bmp", 10, 10), second = picture("b.jpg", 12, 8, "JPEG");
        run("mnuopn", {first});
        run("mnuopn", {second});
        QCOMPARE(form().windowTitle(), QStringLiteral("65ｋ色Varnello(") + second + ")");
        QCOMPARE(form().AutoFlag, std::int16_t(0));
        QCOMPARE(dialog().requests.last().filter,
                 QStringLiteral("Picture(*.BMP)|*.BMP|Picture(*.JPG)|*.JPG"));
        QCOMPARE(dialog().requests.last().fileName, first); // the name the last command left
    }

    // Nothing visible changes, but the user is told, with the path.
    void aFileThatDoesNotLoad_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QByteArray>("bytes"); // null: no such file
        QTest::newRow("not a picture") << "notes.bmp" << QByteArray("plain words");
        QTest::newRow("missing") << "gone.jpg" << QByteArray();
    }

    void aFileThatDoesNotLoad()
    {
        QFETCH(QString, name);
        QFETCH(QByteArray, bytes);
        run("mnuopn", {picture("ok.bmp", 20, 10)});
        const QString caption = form().windowTitle();
        const QImage canvas = form().Picture1->pixels().image();
        if (!bytes.isNull())
            QVERIFY(testing::writeAll(path(name), bytes));
        run("mnuopn", {path(name)});
        QCOMPARE(form().windowTitle(), caption);
        QCOMPARE(form().Picture1->pixels().image(), canvas);
        QCOMPARE(form().Label2->text(), QStringLiteral("X=20"));
        QCOMPARE(said(),
                 QStringLiteral("警告: 画像ファイルを読み込めませんでした。\n") + path(name));
    }

    // varnello FILE: as if FILE had been chosen in OPEN's dialog, which does not show.
    void aPictureGivenToTheProgram()
    {
        form().AutoFlag = 1;
        const QString given = picture("a.bmp", 12, 8);
        const QString caption = QStringLiteral("65ｋ色Varnello(") + given + ")";
        form().OPEN(given);
        QCOMPARE(form().windowTitle() + ' ' + form().Label2->text() + form().Label3->text(),
                 caption + " X=12Y=8");
        QCOMPARE(form().AutoFlag, std::int16_t(0));
        form().OPEN(path("gone.jpg"));
        QCOMPARE(said(),
                 QStringLiteral("警告: 画像ファイルを読み込めませんでした。\n") + path("gone.jpg"));
        QCOMPARE(form().windowTitle(), caption);
        QVERIFY(dialog().requests.isEmpty());
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
        run("mnuopn", {picture("a.bmp", 30, 20)});
        form().mnucnv->trigger();
        const core::BinBuffer bin = form().BinBuf;
        const QImage canvas = form().Picture1->pixels().image();
        run(qPrintable(entry), {});
        QCOMPARE(form().BinBuf, bin);
        QCOMPARE(form().Picture1->pixels().image(), canvas);
        QCOMPARE(form().Label1->text(), QStringLiteral("変換完了!!"));
        QCOMPARE(files(), QStringLiteral("a.bmp"));
        QCOMPARE(said(), QString());
    }

    // The BIN file holds the last conversion, which need not be the picture on show; the
    // bitmap holds what the canvas shows, the preview.
    void savesWriteTheConversionAndThePreview()
    {
        const QString converted = picture("a.bmp", 320, 240);
        run("mnuopn", {converted});
        form().mnucnv->trigger();
        run("mnussav", {path("shown.BMP")});
        QCOMPARE(form().Label1->text(), QStringLiteral("ＢＭＰファイル保存終了!!"));
        run("mnuopn", {picture("b.bmp", 50, 50)});
        run("mnuasav", {path("out.BIN")});
        QCOMPARE(form().Label1->text(), QStringLiteral("ＢＩＮファイル保存終了!!"));

        QCOMPARE(testing::readAll(path("out.BIN")).size(), 153600);
        QCOMPARE(testing::readAll(path("out.BIN")), binOf(converted));
        const QImage saved(path("shown.BMP")), original(converted);
        for (int y = 0; y < 240; y += 7)
            for (int x = 0; x < 320; x += 5)
                QCOMPARE(core::fromQRgb(saved.pixel(x, y)),
                         core::quantise(core::fromQRgb(original.pixel(x, y))).preview);

        QStringList asked; // filter and preselected name of each dialog
        for (const auto &r : dialog().requests)
            asked << r.filter + " [" + QFileInfo(r.fileName).fileName() + "]";
        QCOMPARE(asked,
                 (QStringList{"Picture(*.BMP)|*.BMP|Picture(*.JPG)|*.JPG []", "*.BMP|*.BMP [a.bmp]",
                              "Picture(*.BMP)|*.BMP|Picture(*.JPG)|*.JPG [shown.BMP]",
                              "Binary(*.BIN)|*.BIN []"}));
    }

    void binSaveBeforeAnyConversionWarnsAndWritesNothing()
    {
        run("mnuasav", {path("x.BIN")});
        QCOMPARE(dialog().requests.size(), 0);
        QCOMPARE(said(), QStringLiteral("警告: 変換されていません。先に変換してください。"));
    }

    void savesThatFailSayWhyAndKeepWhatWasThere_data()
    {
        QTest::addColumn<QString>("entry");
        QTest::addColumn<QString>("target");
        QTest::addColumn<QString>("warning");
        for (const char *entry : {"mnuasav", "mnussav"}) {
            QTest::addRow("%s, missing folder", entry) << entry << "no/such/x.BIN"
                                                       << "ファイルを保存できませんでした。";
            QTest::addRow("%s, folder in the way", entry) << entry << "folder.BIN"
                                                          << "ファイルを保存できませんでした。";
            QTest::addRow("%s, the open picture", entry)
                << entry << "a.bmp"
                << "開いている画像ファイルには保存できません。別の名前を指定してください。";
        }
    }

    void savesThatFailSayWhyAndKeepWhatWasThere()
    {
        QFETCH(QString, entry);
        QFETCH(QString, target);
        QFETCH(QString, warning);
        const QString source = picture("a.bmp", 4, 4);
        const QByteArray before = testing::readAll(source);
        QVERIFY(QDir().mkdir(path("folder.BIN")));
        run("mnuopn", {source});
        form().mnucnv->trigger();
        run(qPrintable(entry), {path(target)});
        QCOMPARE(said(), QStringLiteral("警告: ") + warning + '\n' + path(target));
        QCOMPARE(form().Label1->text(), QStringLiteral("変換完了!!")); // no false success
        QCOMPARE(files(), QStringLiteral("a.bmp folder.BIN"));
        QCOMPARE(testing::readAll(source), before);
    }

    // A run writes a BIN file beside each picture, named by its last three characters, the
    // later of two pictures with one output name last; then the notice.
    void batchRuns_data()
    {
        QTest::addColumn<QStringList>("pictures"); // name:width:height
        QTest::addColumn<QString>("outputs");
        QTest::addColumn<QString>("said");
        const QString done = QStringLiteral("通知: 自動処理が終了しました。");
        const QString tooLarge = QStringLiteral("警告: 画像サイズオーバーです。処理を中断します。");
        QTest::newRow("one file") << QStringList{"a.bmp:320:240"} << "a.BIN" << done;
        QTest::newRow("three, BMP and JPEG")
            << QStringList{"a.bmp:20:10", "b.bmp:7:3", "c.jpg:9:9"} << "a.BIN b.BIN c.BIN" << done;
        QTest::newRow("naming") << QStringList{"photo.jpeg:6:6", "x,y.bmp:4:4", "s.bmp:3:3",
                                               "s.jpg:5:5"}
                                << "photo.jBIN s.BIN x,y.BIN" << done;
        QTest::newRow("exactly 640 x 480") << QStringList{"big.bmp:640:480"} << "big.BIN" << done;
        QTest::newRow("641 wide") << QStringList{"big.bmp:641:480"} << "" << tooLarge;
        QTest::newRow("481 high") << QStringList{"big.bmp:640:481"} << "" << tooLarge;
        QTest::newRow("second of three too large")
            << QStringList{"a.bmp:5:5", "b.bmp:700:10", "c.bmp:5:5"} << "a.BIN" << tooLarge;
        QTest::newRow("second of three no picture")
            << QStringList{"a.bmp:5:5", "b.bmp:0:0", "c.bmp:5:5"} << "a.BIN"
            << QStringLiteral("警告: 画像ファイルを読み込めませんでした。\n%1%2b.bmp");
        QTest::newRow("output blocked")
            << QStringList{"a.bmp:5:5", "b.bmp:5:5", "b.BIN:0:-1", "c.bmp:5:5"} << "a.BIN"
            << QStringLiteral("警告: ファイルを保存できませんでした。\n%1%2b.BIN");
        QTest::newRow("a picture named like its output")
            << QStringList{"shot.BIN:8:8"} << ""
            << QStringLiteral(
                   "警告: "
                   "出力ファイルが元の画像ファイルと同じため、処理を中断します。\n%1%2shot.BIN");
    }

    void batchRuns()
    {
        QFETCH(QStringList, pictures);
        QFETCH(QString, outputs);
        QFETCH(QString, said);
        QStringList chosen;
        for (const QString &entry : pictures) {
            const QStringList p = entry.split(':');
            const QString name = p[0];
            if (p[2] == "-1") { // a folder standing where the output goes
                QVERIFY(QDir().mkdir(path(name)));
                continue;
            }
            if (p[1] == "0")
                QVERIFY(testing::writeAll(path(name), "not a picture"));
            else
                picture(name, p[1].toInt(), p[2].toInt(),
                        name.endsWith("jpg") || name.endsWith("jpeg") ? "JPEG" : "BMP");
            chosen << path(name);
        }
        QMap<QString, QByteArray> before;
        for (const QString &source : chosen)
            before[source] = testing::readAll(source);
        run("mnubat", chosen);
        QCOMPARE(this->said(),
                 said.arg(QDir::toNativeSeparators(m_dir->path()), QDir::separator()));

        // Each output holds the conversion of the last source named like it; no source changed.
        QMap<QString, QString> sourceOf;
        for (const QString &source : chosen)
            sourceOf[source.chopped(3) + "BIN"] = source;
        QStringList written;
        for (const QString &name : files().split(' ')) {
            const QString out = path(name);
            if (!name.endsWith("BIN") || before.contains(out) || QFileInfo(out).isDir())
                continue;
            written << name;
            QCOMPARE(testing::readAll(out), binOf(sourceOf.value(out)));
        }
        QCOMPARE(written.join(' '), outputs);
        for (auto it = before.cbegin(); it != before.cend(); ++it)
            QCOMPARE(testing::readAll(it.key()), it.value());
        QCOMPARE(form().AutoFlag, std::int16_t(1));
        QCOMPARE(dialog().requests.last().flags & 0x80200u, 0x80200u);
    }

    void batchAtTheRootNamesRootPaths()
    {
        const QString root = QDir::rootPath();
        run("mnubat", {root + "varnello-no-such-a.bmp", root + "varnello-no-such-b.bmp"});
        QCOMPARE(said(), QStringLiteral("警告: 画像ファイルを読み込めませんでした。\n") +
                             QDir::toNativeSeparators(root + "varnello-no-such-a.bmp"));
    }

    // Batch mode leaves the canvas as loaded until the next OPEN, even for interactive
    // conversions, and the open dialog keeps allowing several files.
    void afterARunTheCanvasKeepsThePictureUntilTheNextOpen()
    {
        const QString source = picture("a.bmp", 12, 12);
        run("mnubat", {source});
        QCOMPARE(form().CurFile, path("a.BIN"));
        QCOMPARE(form().windowTitle(), QStringLiteral("65ｋ色Varnello(") + source + ")");
        const QImage loaded = form().Picture1->pixels().image();
        QCOMPARE(loaded, core::PixelStore(QImage(source)).image());
        form().mnucnv->trigger();
        QCOMPARE(form().BinBuf.size(), std::size_t(288));
        QCOMPARE(form().Picture1->pixels().image(), loaded);

        run("mnuopn", {source, picture("b.bmp", 3, 3)}); // several are no picture to open
        QCOMPARE(dialog().requests.last().flags & 0x80200u, 0x80200u);
        QCOMPARE(form().Picture1->pixels().image(), loaded);

        run("mnuopn", {source});
        form().mnucnv->trigger();
        QCOMPARE(form().Picture1->pixels().pixel(3, 3),
                 core::quantise(core::fromQRgb(QImage(source).pixel(3, 3))).preview);
    }

    void everyEntryAndButtonRunsItsCommand_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("filter");
        const QString pictures = QStringLiteral("Picture(*.BMP)|*.BMP|Picture(*.JPG)|*.JPG");
        for (const char *n : {"mnuopn", "open", "mnubat", "auto"})
            QTest::newRow(n) << n << pictures;
        for (const char *n : {"mnuasav", "binsave"})
            QTest::newRow(n) << n << "Binary(*.BIN)|*.BIN";
        for (const char *n : {"mnussav", "bmpsave"})
            QTest::newRow(n) << n << "*.BMP|*.BMP";
    }

    void everyEntryAndButtonRunsItsCommand()
    {
        QFETCH(QString, name);
        QFETCH(QString, filter);
        form().CONV(); // so that a BIN save gets as far as its dialog
        dialog().cancel();
        auto *action = form().findChild<QAction *>(name);
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
