// The main window and its commands, driven through the menu, the toolbar and the keyboard,
// with a scripted file dialog and real files: what the user sees (caption, labels, canvas,
// messages) and what lands on the disk.
#include "core/texts.h"
#include "main_window/form1.h"
#include "platform/common_dialog.h"
#include "startup/module1.h"
#include "support.h"

#include <QDir>
#include <QLabel>
#include <QMenu>
#include <QMimeData>
#include <QProgressBar>
#include <QScreen>
#include <QTemporaryDir>
#include <QTest>
#include <QToolBar>
#include <QToolTip>

using Mode = platform::FileDialogBackend::Mode;

class tst_MainWindow : public QObject
{
    Q_OBJECT

    testing::FakeServices m_fakes;
    Module1 m_module1;
    std::unique_ptr<Form1> m_form;
    std::unique_ptr<QTemporaryDir> m_dir;
    QStringList m_made; // the files a script starts with

    Form1 &form() { return *m_form; }
    testing::FakeFileDialog &dialog() { return m_fakes.fileDialog; }
    QString path(const QString &name) const
    {
        return QDir::toNativeSeparators(m_dir->filePath(name));
    }

    // "name:WxH" a picture (JPEG by its name, else BMP), "name:text" a file that is not one,
    // "name:dir" a folder.
    void make(const QString &spec)
    {
        const QString name = spec.section(':', 0, 0), what = spec.section(':', 1);
        m_made << name;
        if (what == u"dir")
            QVERIFY(QDir().mkdir(path(name)));
        else if (what == u"text")
            QVERIFY(testing::writeAll(path(name), "not a picture"));
        else
            QVERIFY(testing::patternPicture(what.section('x', 0, 0).toInt(),
                                            what.section('x', 1).toInt())
                        .save(path(name), name.contains(u".jp") ? "JPEG" : "BMP"));
    }

    // Runs "entry" and "entry:name+name" steps; "entry:" cancels the entry's dialog. "no"
    // answers the questions that follow, "drop:name+name" drops files on the window,
    // "given:name" opens a picture given to the program, "space" and "release" press and
    // release Space, "@folder" checks where the last dialog opened.
    void runScript(const QString &script)
    {
        for (const QString &step : script.split(' ', Qt::SkipEmptyParts)) {
            if (step == u"no")
                m_fakes.messageBox.yes = false;
            if (step == u"space" || step == u"release")
                QTest::keyEvent(step == u"space" ? QTest::Press : QTest::Release,
                                form().focusWidget(), Qt::Key_Space);
            if (const auto &asked = dialog().requests; step.startsWith('@'))
                QCOMPARE(platform::dialogStart(asked.last().fileName, asked.last().initDir).folder,
                         path(step.mid(1)));
            QStringList chosen;
            QList<QUrl> urls;
            for (const QString &name : step.section(':', 1).split('+', Qt::SkipEmptyParts)) {
                chosen << path(name);
                urls << QUrl::fromLocalFile(m_dir->filePath(name));
            }
            if (step.startsWith(u"given:")) {
                form().OPEN(chosen.value(0));
                continue;
            }
            if (step.startsWith(u"drop:")) {
                QMimeData dragged;
                dragged.setUrls(urls);
                QDragEnterEvent enter({9, 9}, Qt::CopyAction, &dragged, Qt::LeftButton, {});
                QDropEvent drop({9, 9}, Qt::CopyAction, &dragged, Qt::LeftButton, {});
                QApplication::sendEvent(&form(), &enter);
                if (form().acceptDrops() && enter.isAccepted())
                    QApplication::sendEvent(&form(), &drop);
                QApplication::processEvents();
                continue;
            }
            if (!chosen.isEmpty())
                dialog().choose(chosen);
            else if (step.contains(':'))
                dialog().cancel();
            if (auto *entry = form().findChild<QAction *>(step.section(':', 0, 0)))
                entry->trigger();
        }
    }

    // What a file the script wrote holds: "=NAME" when it is the BIN of the picture NAME or,
    // for a bitmap, its preview; "=?" otherwise.
    QString heldBy(const QString &written) const
    {
        const bool bitmap = written.endsWith(u"BMP");
        for (const QString &name : m_made) {
            const auto source = core::loadPicture(path(name));
            if (!source || QFileInfo(path(name)).isDir())
                continue;
            const QImage picture = source.value().image();
            if (bitmap ? QImage(path(written)).convertToFormat(QImage::Format_RGB32) ==
                             previewOf(picture)
                       : testing::readAll(path(written)) == testing::expectedBin(picture))
                return '=' + name;
        }
        return QStringLiteral("=?");
    }

    static QImage previewOf(QImage picture)
    {
        for (int y = 0; y < picture.height(); ++y)
            for (int x = 0; x < picture.width(); ++x)
                picture.setPixel(
                    x, y,
                    core::toQRgb(core::quantise(core::fromQRgb(picture.pixel(x, y))).preview));
        return picture;
    }

    // The window and the folder as the user finds them.
    QString found() const
    {
        const QString caption = m_form->windowTitle().mid(m_form->BaseCaption.size());
        const QString source = caption.size() > 2 ? caption.mid(1).chopped(1) : QString();
        // As on the screen, with whatever lies over the canvas.
        const QImage canvas =
            m_form->centralWidget()
                ->grab(m_form->Picture1->contentsRect().translated(m_form->Picture1->pos()))
                .toImage()
                .convertToFormat(QImage::Format_RGB32);
        QString shows = QStringLiteral("blank");
        if (const auto loaded = core::loadPicture(source))
            shows = canvas == loaded.value().image()              ? "loaded"
                    : canvas == previewOf(loaded.value().image()) ? "preview"
                                                                  : "other";
        QStringList files;
        for (const QString &name :
             QDir(m_dir->path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot))
            files << (m_made.contains(name) ? name : name + heldBy(name));
        QStringList said;
        for (const auto &[text, title] : m_fakes.messageBox.shown)
            said << title + ": " + text;
        return QStringLiteral("%1 | %2 | %3 %4 | %5 | %6 | %7")
            .arg(QFileInfo(source).fileName(), m_form->Label1->text().trimmed(),
                 m_form->Label2->text(), m_form->Label3->text(), shows, files.join(' '),
                 said.join(" / "))
            .replace(QDir::toNativeSeparators(m_dir->path() + '/'), QString())
            .simplified();
    }

private slots:
    // As the program does: its windows speak Japanese whatever the desktop's language.
    void initTestCase() { QVERIFY(core::installTranslations(QLocale(QLocale::Japanese))); }

    void init()
    {
        m_fakes = {};
        m_dir = std::make_unique<QTemporaryDir>();
        m_made.clear();
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

    // The file commands, each row a script and what it leaves: the caption's file, the
    // status, the size labels, what the canvas shows, the folder's files (a written file
    // "=" the picture it holds) and the messages; blanks run together. The messages are
    // Japanese throughout, the reasons the program gives too; the system's are its own.
    void commands_data()
    {
        QTest::addColumn<QString>("files");
        QTest::addColumn<QString>("script");
        QTest::addColumn<QString>("outcome");
        const auto row = [](const char *name, const char *files, const char *script,
                            const QString &outcome) {
            QTest::newRow(name) << files << script << outcome;
        };
        const QString cannotLoad = "警告: 画像ファイルを読み込めませんでした。 ";
        const QString cannotSave = "警告: ファイルを保存できませんでした。 ";
        const QString onSource =
            "警告: 開いている画像ファイルには保存できません。別の名前を指定してください。 ";
        const QString done = "通知: 自動処理が終了しました。";
        const QString notAPicture = " (このプログラムが読める形式の画像ではありません)";
        const QString aFolder = " (ファイルではなくディレクトリを参照しています)";
        const QString tooLarge = "警告: 画像サイズオーバーです。処理を中断します。";

        // The BIN file holds the last conversion, which need not be the picture on show; the
        // bitmap holds what the canvas shows.
        row("open, convert, save both", "a.bmp:32x24 b.jpg:5x5",
            "mnuopn:a.bmp mnucnv mnussav:shown.BMP mnuopn:b.jpg mnuasav:out.BIN",
            "b.jpg | ＢＩＮファイル保存終了!! | X=5 Y=5 | loaded | a.bmp b.jpg out.BIN=a.bmp "
            "shown.BMP=a.bmp |");
        row("BIN before any conversion", "", "mnuasav:x.BIN",
            "| | | blank | | 警告: 変換されていません。先に変換してください。");
        row("not a picture", "a.bmp:20x10 n.bmp:text", "mnuopn:a.bmp mnuopn:n.bmp",
            "a.bmp | | X=20 Y=10 | loaded | a.bmp n.bmp | " + cannotLoad + "n.bmp" + notAPicture);
        row("given to the program, after a batch", "a.bmp:12x8 b.bmp:3x3",
            "mnubat:b.bmp given:a.bmp mnucnv given:gone.jpg",
            "a.bmp | 変換完了!! | X=12 Y=8 | preview | a.bmp b.BIN=b.bmp b.bmp | " + done + " / " +
                cannotLoad + "gone.jpg (ファイルがありません)");
        row("missing", "a.bmp:20x10", "mnuopn:a.bmp mnuopn:gone.jpg",
            "a.bmp | | X=20 Y=10 | loaded | a.bmp | " + cannotLoad +
                "gone.jpg (ファイルがありません)");
        for (const char *entry : {"mnuopn", "mnuasav", "mnussav", "mnubat"})
            QTest::addRow("%s cancelled", entry)
                << "a.bmp:30x20" << QStringLiteral("mnuopn:a.bmp mnucnv %1:").arg(entry)
                << "a.bmp | 変換完了!! | X=30 Y=20 | preview | a.bmp |";
        for (const char *entry : {"mnuasav", "mnussav"}) {
            const auto failed = [&](const char *target, const QString &warning,
                                    const QString &reason) {
                QTest::addRow("%s into %s", entry, target)
                    << "a.bmp:4x4 f.BIN:dir"
                    << QStringLiteral("mnuopn:a.bmp mnucnv %1:%2").arg(entry, target)
                    << "a.bmp | 変換完了!! | X=4 Y=4 | preview | a.bmp f.BIN | " + warning +
                           target + reason;
            };
            failed("no/x.BIN", cannotSave, " (そのようなファイルやディレクトリはありません)");
            failed("f.BIN", cannotSave, aFolder);
            failed("a.bmp", onSource, "");
        }
        // Another existing file is replaced only when the user agrees: here first yes, then no.
        const QString replace = "確認: 同じ名前のファイルが既にあります。置き換えますか？ s.BMP";
        row("replace, then keep", "a.bmp:8x8",
            "mnuopn:a.bmp mnussav:s.BMP mnucnv mnussav:s.BMP no mnuasav:s.BMP",
            "a.bmp | ＢＭＰファイル保存終了!! | X=8 Y=8 | preview | a.bmp s.BMP=a.bmp | " +
                replace + " / " + replace);

        // A batch run writes a BIN file beside each picture, named by its last three
        // characters, the later of two pictures with one output name last; then the notice.
        // It stops at the first picture too large, unreadable, unconvertible or unwritable,
        // keeping what it wrote. The canvas keeps the picture as loaded until the next OPEN.
        row("batch, BMP and JPEG", "a.bmp:20x10 b.bmp:7x3 c.jpg:9x9",
            "mnubat:a.bmp+b.bmp+c.jpg mnucnv",
            "c.jpg | 変換完了!! | X=9 Y=9 | loaded | a.BIN=a.bmp a.bmp b.BIN=b.bmp b.bmp "
            "c.BIN=c.jpg c.jpg | " +
                done);
        row("batch naming", "p.jpeg:6x6 x,y.bmp:4x4 s.bmp:3x3 s.jpg:5x5",
            "mnubat:p.jpeg+x,y.bmp+s.bmp+s.jpg",
            "s.jpg | ＢＩＮファイル保存終了!! | X=5 Y=5 | loaded | p.jBIN=p.jpeg p.jpeg "
            "s.BIN=s.jpg s.bmp s.jpg x,y.BIN=x,y.bmp x,y.bmp | " +
                done);
        row("batch, then open", "a.bmp:640x480", "mnubat:a.bmp mnuopn:a.bmp mnucnv",
            "a.bmp | 変換完了!! | X=640 Y=480 | preview | a.BIN=a.bmp a.bmp | " + done);
        row("batch, then open two", "a.bmp:4x4 b.bmp:6x6", "mnubat:a.bmp mnuopn:a.bmp+b.bmp",
            "a.bmp | ＢＩＮファイル保存終了!! | X=4 Y=4 | loaded | a.BIN=a.bmp a.bmp b.bmp | " +
                done + " / 警告: 画像ファイルを１つだけ選んでください。");
        row("batch, 641 wide", "a.bmp:641x480", "mnubat:a.bmp",
            "a.bmp | | | loaded | a.bmp | " + tooLarge);
        // The labels lie under the picture the run refused; nothing is drawn over it.
        row("batch, second 481 high, then convert", "a.bmp:5x5 b.bmp:640x481 c.bmp:5x5",
            "mnubat:a.bmp+b.bmp+c.bmp mnucnv",
            "b.bmp | 変換完了!! | X=5 Y=5 | loaded | a.BIN=a.bmp a.bmp b.bmp c.bmp | " + tooLarge);
        row("batch, second no picture", "a.bmp:5x5 b.bmp:text c.bmp:5x5",
            "mnubat:a.bmp+b.bmp+c.bmp",
            "a.bmp | ＢＩＮファイル保存終了!! | X=5 Y=5 | loaded | a.BIN=a.bmp a.bmp b.bmp c.bmp "
            "| " +
                cannotLoad + "b.bmp" + notAPicture);
        row("batch, second not converted", "a.bmp:5x5 b.bmp:5x6 c.bmp:5x5",
            "mnubat:a.bmp+b.bmp+c.bmp",
            "b.bmp | | X=5 Y=6 | loaded | a.BIN=a.bmp a.bmp b.bmp c.bmp | 警告: "
            "メモリが足りないため、変換できませんでした。");
        row("batch, output blocked", "a.bmp:5x5 b.bmp:5x5 b.BIN:dir c.bmp:5x5",
            "mnubat:a.bmp+b.bmp+c.bmp",
            "b.bmp | 変換完了!! | X=5 Y=5 | loaded | a.BIN=a.bmp a.bmp b.BIN b.bmp c.bmp | " +
                cannotSave + "b.BIN" + aFolder);
        // Dropped, several pictures of one folder go through the batch run and one is opened;
        // a drop of anything else, a folder, or pictures of two folders is refused unseen.
        row("drops", "a.bmp:20x10 c.jpg:9x9 n.txt:text sub:dir sub/b.bmp:4x4",
            "drop:a.bmp+c.jpg drop:a.bmp drop:a.bmp+n.txt drop:sub drop:a.bmp+sub/b.bmp",
            "a.bmp | | X=20 Y=10 | loaded | a.BIN=a.bmp a.bmp c.BIN=c.jpg c.jpg n.txt sub | " +
                done);

        // Held after a conversion, Space shows the picture as loaded; a bitmap still saves the
        // preview.
        row("Space held", "a.bmp:30x20", "mnuopn:a.bmp mnucnv space mnussav:s.BMP",
            "a.bmp | ＢＭＰファイル保存終了!! | X=30 Y=20 | loaded | a.bmp s.BMP=a.bmp |");
        row("Space released", "a.bmp:30x20", "mnuopn:a.bmp mnucnv space release",
            "a.bmp | 変換完了!! | X=30 Y=20 | preview | a.bmp |");

        // A dialog whose name names no folder (BIN saves clear it) opens where the user last
        // opened or saved a file.
        row("dialogs open where the work is", "a.bmp:4x4 sub:dir sub/b.bmp:5x5",
            "mnuopn:sub/b.bmp mnucnv mnuasav: @sub mnussav:a.BMP mnuasav: @",
            "b.bmp | ＢＭＰファイル保存終了!! | X=5 Y=5 | preview | a.BMP=sub/b.bmp a.bmp sub |");
        row("batch, a picture named like its output", "s.BIN:8x8", "mnubat:s.BIN",
            "s.BIN | 変換完了!! | X=8 Y=8 | loaded | s.BIN | 警告: "
            "出力ファイルが元の画像ファイルと同じため、処理を中断します。 s.BIN");
    }

    void commands()
    {
        QFETCH(QString, files);
        QFETCH(QString, script);
        QFETCH(QString, outcome);
        for (const QString &spec : files.split(' ', Qt::SkipEmptyParts))
            make(spec);
        // The 5 x 6 picture's buffer cannot be had.
        form().setBinAllocator([](std::uint64_t bytes) {
            return bytes == 60 ? core::Error{core::Error::Kind::OutOfMemory, {}, {}}
                               : core::allocateBinBuffer(bytes);
        });
        QMap<QString, QByteArray> before;
        for (const QString &name : m_made)
            before[name] = testing::readAll(path(name));
        runScript(script);
        QCOMPARE(found(), outcome);
        for (const QString &name : m_made)
            QCOMPARE(testing::readAll(path(name)), before[name]);
    }

    // Resting over the canvas, the pointer shows the pixel under it and the word the display
    // unit gets, low byte first as in the file.
    void pixelProbe()
    {
        QImage picture(640, 480, QImage::Format_RGB32);
        picture.fill(Qt::black);
        picture.setPixel(12, 34, qRgb(200, 100, 50));
        picture.setPixel(639, 479, qRgb(7, 3, 255));
        form().Picture1->setPicture(core::PixelStore(picture));
        QStringList probes;
        for (const QPoint at : {QPoint(12, 34), QPoint(639, 479)}) {
            QHelpEvent hover(QEvent::ToolTip, at + QPoint(2, 2), form().Picture1->mapToGlobal(at));
            QApplication::sendEvent(form().Picture1, &hover);
            probes << QToolTip::text();
        }
        QCOMPARE(probes, QStringList({"(12, 34)  R=200 G=100 B=50  →  0xCB26  [26 CB]",
                                      "(639, 479)  R=7 G=3 B=255  →  0x001F  [1F 00]"}));
    }

    // Over the whole screen, in the program's folder, and before any picture a conversion
    // converts the 320 x 240 button-face background.
    void startsEmptyAndConvertsItsBackground()
    {
        QCOMPARE(form().windowTitle(), QStringLiteral("65ｋ色Varnello"));
        QCOMPARE(QDir::currentPath(), QDir(m_dir->path()).canonicalPath());
        QCOMPARE(form().frameGeometry(), form().screen()->geometry());
        QCOMPARE(form().Toolbar1->width(), form().centralWidget()->width());
        QImage background(320, 240, QImage::Format_RGB32);
        background.fill(form().Picture1->palette().color(QPalette::Button));
        form().mnucnv->trigger();
        QCOMPARE(QByteArray(reinterpret_cast<const char *>(form().BinBuf.data()),
                            qsizetype(form().BinBuf.size())),
                 testing::expectedBin(background));
        QCOMPARE(QSize(m_module1.ImgW, m_module1.ImgH), QSize(320, 240));
    }

    // While the pass runs (seen from the allocation of its buffer) the bar is up, counting
    // rows from 0, the status says so and the cursor is busy; the last row is the last value.
    // When the buffer cannot be had, the program warns and keeps its previous result.
    void progressAndStatusDuringThePass_data()
    {
        QTest::addColumn<QString>("how");
        QTest::addColumn<int>("height");
        QTest::newRow("menu") << "mnucnv" << 500;
        QTest::newRow("toolbar") << "conv" << 500;
        QTest::newRow("one row") << "mnucnv" << 1;
        QTest::newRow("out of memory") << "mnucnv" << 0;
    }

    void progressAndStatusDuringThePass()
    {
        QFETCH(QString, how);
        QFETCH(int, height);
        form().Picture1->setPicture(core::PixelStore(testing::patternPicture(4, 2)));
        form().CONV();
        const core::BinBuffer before = form().BinBuf;
        const QImage pattern = testing::patternPicture(3, height == 0 ? 50 : height);
        form().Picture1->setPicture(core::PixelStore(pattern));
        QStringList seen;
        form().setBinAllocator([&](std::uint64_t bytes) -> core::Expected<core::BinBuffer> {
            seen << QStringLiteral("%1 bytes, bar %2 to %3 at %4, %5, busy %6")
                        .arg(bytes)
                        .arg(form().ProgressBar1->isVisible() ? 0 : -1)
                        .arg(form().ProgressBar1->maximum())
                        .arg(form().ProgressBar1->value())
                        .arg(form().Label1->text())
                        .arg(m_fakes.application.busyDepth);
            if (height == 0)
                return core::Error{core::Error::Kind::OutOfMemory, {}, {}};
            return core::allocateBinBuffer(bytes);
        });
        if (how == u"mnucnv")
            form().mnucnv->trigger();
        else
            form().Toolbar1_ButtonClick(form().findChild<QAction *>(how));
        QCOMPARE(seen,
                 QStringList{QStringLiteral("%1 bytes, bar 0 to %2 at 0, 変換中．．．, busy 1")
                                 .arg(6 * pattern.height())
                                 .arg(pattern.height())});
        QCOMPARE(m_fakes.application.busyDepth, 0);
        if (height == 0) {
            QCOMPARE(form().BinBuf, before);
            QCOMPARE(QSize(m_module1.ImgW, m_module1.ImgH), QSize(4, 2));
            QVERIFY(!form().ProgressBar1->isVisible());
            QCOMPARE(m_fakes.messageBox.shown.size(), 1);
            return;
        }
        QCOMPARE(form().ProgressBar1->value(), height - 1);
        QCOMPARE(form().Label1->text(), QStringLiteral("変換完了!!"));
        QCOMPARE(QByteArray(reinterpret_cast<const char *>(form().BinBuf.data()),
                            qsizetype(form().BinBuf.size())),
                 testing::expectedBin(pattern));
    }

    // LAYOUT puts the bar and the status under the picture (no higher than 80) and the size
    // labels beside it, whatever its size.
    void layoutBesideThePicture_data()
    {
        QTest::addColumn<QSize>("size");
        QTest::addColumn<QString>("layout");
        QTest::newRow("320 x 240") << QSize(320, 240) << "bar 277, status 277, sizes at 338";
        QTest::newRow("16 x 16: status not above 80")
            << QSize(16, 16) << "bar 53, status 80, sizes at 34";
        QTest::newRow("1024 x 768: no size limit")
            << QSize(1024, 768) << "bar 805, status 805, sizes at 1042";
    }

    void layoutBesideThePicture()
    {
        QFETCH(QSize, size);
        QFETCH(QString, layout);
        make(QStringLiteral("p.bmp:%1x%2").arg(size.width()).arg(size.height()));
        runScript(QStringLiteral("mnuopn:p.bmp"));
        QCOMPARE(QStringLiteral("bar %1, status %2, sizes at %3")
                     .arg(form().ProgressBar1->y())
                     .arg(form().Label1->y())
                     .arg(form().Label2->x()),
                 layout);
        QCOMPARE(form().Picture1->contentsRect().size(), size);
    }

    // Each menu entry and toolbar button opens its command's dialog, with its filter; a button
    // whose key is none of the commands' does nothing.
    void everyEntryAndButtonRunsItsCommand_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("filter");
        QTest::addColumn<Mode>("mode");
        const QString pictures = QStringLiteral("Picture(*.BMP)|*.BMP|Picture(*.JPG)|*.JPG");
        for (const char *n : {"mnuopn", "open", "mnubat", "auto"})
            QTest::newRow(n) << n << pictures << Mode::Open;
        for (const char *n : {"mnuasav", "binsave"})
            QTest::newRow(n) << n << "Binary(*.BIN)|*.BIN" << Mode::Save;
        for (const char *n : {"mnussav", "bmpsave"})
            QTest::newRow(n) << n << "*.BMP|*.BMP" << Mode::Save;
        QTest::newRow("unknown key") << "Conv" << QString() << Mode::Open;
    }

    void everyEntryAndButtonRunsItsCommand()
    {
        QFETCH(QString, name);
        QFETCH(QString, filter);
        QFETCH(Mode, mode);
        form().CONV(); // so that a BIN save gets as far as its dialog
        dialog().cancel();
        QAction stray;
        stray.setObjectName(name);
        auto *action = form().findChild<QAction *>(name);
        if (name.startsWith(u"mnu"))
            action->trigger();
        else
            form().Toolbar1_ButtonClick(action ? action : &stray);
        QCOMPARE(dialog().requests.size(), filter.isEmpty() ? 0 : 1);
        if (!filter.isEmpty()) {
            QCOMPARE(dialog().requests[0].filter, filter);
            QCOMPARE(dialog().requests[0].mode, mode);
        }
        for (QAction *button : form().Toolbar1->actions())
            QVERIFY(!button->icon().isNull() && !button->toolTip().isEmpty());
    }

    // The menus by their access keys, as a keyboard user reaches them; the end entry ends the
    // program at once, the About window open or not.
    void accessKeysReachTheCommands()
    {
        QVERIFY(QTest::qWaitForWindowActive(m_form.get()));
        const auto press = [this](Qt::Key menuKey, QMenu *menu, Qt::Key entryKey) {
            QTest::keyClick(m_form.get(), menuKey, Qt::AltModifier);
            QTRY_VERIFY(QApplication::activePopupWidget() == static_cast<QWidget *>(menu));
            QTest::keyClick(menu, entryKey);
        };
        dialog().cancel();
        press(Qt::Key_F, form().mnufile, Qt::Key_O);
        QTRY_COMPARE(dialog().requests.size(), 1);
        press(Qt::Key_R, form().mnugo, Qt::Key_C);
        QTRY_COMPARE(form().Label1->text(), QStringLiteral("変換完了!!"));
        dialog().cancel();
        press(Qt::Key_F, form().mnufile, Qt::Key_A);
        QTRY_COMPARE(dialog().requests.size(), 2);
        QCOMPARE(dialog().requests[1].filter, QStringLiteral("Binary(*.BIN)|*.BIN"));
        press(Qt::Key_H, form().mnuhlp, Qt::Key_A);
        QTRY_VERIFY(form().aboutWindow());
        press(Qt::Key_F, form().mnufile, Qt::Key_X);
        QTRY_COMPARE(m_fakes.application.ended, 1);
        form().aboutWindow()->close();
    }
};

QTEST_MAIN(tst_MainWindow)
#include "tst_main_window.moc"
