// The main window and its commands, driven through the menu, the toolbar and the keyboard,
// with a scripted file dialog and real files: what the user sees (caption, labels, canvas,
// messages) and what lands on the disk.
#include "main_window/firmware_settings.h"
#include "main_window/form1.h"
#include "main_window/settings_dialog.h"
#include "platform/common_dialog.h"
#include "startup/module1.h"
#include "support.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QMimeData>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>

#ifdef Q_OS_UNIX
#include <sys/stat.h>
#endif
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
    // "name:dir" a folder, "name:fifo" a named pipe that nobody reads.
    void make(const QString &made)
    {
        const QString name = made.section(':', 0, 0), what = made.section(':', 1);
        m_made << name;
        if (what == u"dir")
            QVERIFY(QDir().mkdir(path(name)));
#ifdef Q_OS_UNIX
        else if (what == u"fifo")
            QVERIFY(mkfifo(QFile::encodeName(path(name)).constData(), 0666) == 0);
#endif
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
    // release Space, "away" takes the focus off the canvas, "@folder" checks where the last
    // dialog opened.
    void runScript(const QString &script)
    {
        for (const QString &step : script.split(' ', Qt::SkipEmptyParts)) {
            if (step == u"no")
                m_fakes.messageBox.yes = false;
            if (step.startsWith(u"set:")) { // 設定, answered with the settings file's words
                const QString words = step.mid(4).replace(u',', u'\n');
                const QString ini = m_dir->filePath("answer.ini");
                QVERIFY(testing::writeAll(ini, "[firmware]\n" + words.toUtf8()));
                const core::Recipe chosen = main_window::readRecipe(ini);
                QFile::remove(ini);
                form().setRecipeEditor([chosen](const core::Recipe &) { return chosen; });
                form().mnuset->trigger();
                continue;
            }
            if (step == u"away") // as opening and closing the menus by keyboard leaves it
                form().menuBar()->setFocus();
            if (step == u"space" || step == u"release")
                QTest::keyEvent(step == u"space" ? QTest::Press : QTest::Release,
                                form().focusWidget(), Qt::Key_Space);
            if (step.startsWith(u'=')) // where LAYOUT put the bar, the status and the sizes
                QCOMPARE(QStringLiteral("=%1,%2,%3")
                             .arg(form().ProgressBar1->y())
                             .arg(form().Label1->y())
                             .arg(form().Label2->x()),
                         step);
            if (step.startsWith(u"probe:")) { // the pointer resting over the canvas
                const QPoint at(step.section(':', 1).section(',', 0, 0).toInt(),
                                step.section(',', 1).toInt());
                QHelpEvent hover(QEvent::ToolTip, at + QPoint(2, 2),
                                 form().Picture1->mapToGlobal(at));
                QApplication::sendEvent(form().Picture1, &hover);
                m_fakes.messageBox.shown.append({QToolTip::text(), QStringLiteral("tip")});
                continue;
            }
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
            const auto source = core::loadPicture(testing::fs(path(name)));
            if (!source || QFileInfo(path(name)).isDir())
                continue;
            const QImage picture = testing::imageOf(source.value());
            if (bitmap ? QImage(path(written)).convertToFormat(QImage::Format_RGB32) ==
                             testing::previewOf(picture)
                       : testing::readAll(path(written)) == testing::expectedBin(picture))
                return '=' + name;
        }
        return QStringLiteral("=?");
    }

    // The window and the folder as the user finds them.
    QString found() const
    {
        const QString caption = m_form->windowTitle().mid(m_form->BaseCaption.size());
        const QString source = caption.size() > 2 ? caption.mid(1).chopped(1) : QString();
        // As on the screen, with whatever lies over the canvas.
        const QImage canvas = m_form->Picture1->grab(m_form->Picture1->contentsRect())
                                  .toImage()
                                  .convertToFormat(QImage::Format_RGB32);
        QString shows = QStringLiteral("blank");
        if (auto loaded = core::loadPicture(testing::fs(source))) {
            // Or cut, turned and fitted by the settings: "shaped", and its preview.
            const QImage picture = testing::imageOf(loaded.value());
            core::PixelStore shaped = std::move(loaded.value());
            const bool reshaped = !m_form->recipe().isPlain() &&
                                  core::shapePicture(shaped, m_form->recipe(), {}).ok();
            shows = canvas == picture                                        ? "loaded"
                    : canvas == testing::previewOf(picture)                  ? "preview"
                    : !reshaped                                              ? "other"
                    : canvas == testing::imageOf(shaped)                     ? "shaped"
                    : canvas == testing::previewOf(testing::imageOf(shaped)) ? "shaped preview"
                                                                             : "other";
        }
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
    // As the program does: Qt's own dialogs and buttons speak Japanese too.
    void initTestCase()
    {
        platform::installQtTranslations(QLocale(QLocale::Japanese));
    }

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
        QFile::remove(main_window::settingsFilePath());
    }

    // The window and the command line with the same settings give the same bytes for every
    // kind of picture, a JPEG that the fit lets the decoder shrink among them: 変換 and the BIN
    // save the command line's BIN file, the BMP save its --preview, 自動処理 its BIN file
    // again, and the canvas shows what the bytes show.
    void windowGivesTheCommandLinesBytes_data()
    {
        QTest::addColumn<QString>("picture");
        QTest::addColumn<QString>("settings");
        QTest::addColumn<QString>("options");
        const std::pair<const char *, const char *> recipes[] = {
            {"", ""},
            {"panel=16x12 background=FF8000", "--fit 16x12 --background ff8000"},
            {"panel=10x20 fit_mode=cover", "--fit 10x20 --fit-mode cover"},
            {"panel=30x7 fit_mode=stretch", "--fit 30x7 --fit-mode stretch"},
            {"rotate=90", "--rotate 90"},
            {"rotate=270 panel=12x16 dither=ordered", "--rotate 270 --fit 12x16 --dither ordered"},
            {"dither=fs", "--dither fs"},
            {"byte_order=be", "--byte-order be"},
            {"alpha=blend background=102030", "--alpha blend --background 102030"},
            {"colour_key=FF00FF", "--colour-key ff00ff"},
        };
        for (const char *picture : {"p.bmp", "p.jpg", "p.png", "p.gif"})
            for (const auto &[settings, options] : recipes)
                QTest::addRow("%s %s", picture, *options ? options : "plain")
                    << picture << settings << options;
    }

    void windowGivesTheCommandLinesBytes()
    {
        QFETCH(QString, picture);
        QFETCH(QString, settings);
        QFETCH(QString, options);
        QVERIFY(QDir().mkpath(QFileInfo(main_window::settingsFilePath()).path()));
        QByteArray file = "[firmware]\n";
        for (const QString &pair : settings.split(u' ', Qt::SkipEmptyParts))
            file += pair.toUtf8() + '\n';
        QVERIFY(testing::writeAll(main_window::settingsFilePath(), file));
        m_form = std::make_unique<Form1>(m_fakes.services(), m_module1);
        m_form->show();

        if (picture == u"p.gif") {
            QVERIFY(QFile::copy(TEST_DATA "/pictures/gif_animation_5_frames.gif", path(picture)));
        } else if (picture == u"p.jpg") {
            QVERIFY(testing::patternPicture(256, 192).save(path(picture), "JPEG", 90));
        } else {
            QImage shown = testing::patternPicture(37, 23, QImage::Format_ARGB32);
            for (int x = 0; x < 37; ++x)
                shown.setPixel(x, 5, qRgba(x * 7, 200, 90, x * 7));
            QVERIFY(shown.save(path(picture)));
        }
        runScript("mnuopn:" + picture + " mnucnv mnuasav:w.BIN mnussav:shown.BMP");
        const QByteArray bin = testing::readAll(path("w.BIN"));
        const QSize size(m_module1.ImgW, m_module1.ImgH);
        runScript("mnubat:" + picture);
        const testing::Run run =
            testing::runConvert(options.split(u' ', Qt::SkipEmptyParts) +
                                    QStringList{"--preview", "cli.bmp", "-o", "cli.BIN", picture},
                                m_dir->path());
        QCOMPARE(run.exitCode, 0);
        QCOMPARE(bin, testing::readAll(path("cli.BIN")));
        QCOMPARE(testing::readAll(path("p.BIN")), bin);
        QCOMPARE(testing::readAll(path("shown.BMP")), testing::readAll(path("cli.bmp")));
        const auto order = options.contains(u"be") ? core::ByteOrder::Big : core::ByteOrder::Little;
        form().OPEN(path(picture));
        runScript("mnucnv");
        QCOMPARE(testing::imageOf(core::pictureOfBin(
                     {reinterpret_cast<const std::uint8_t *>(bin.data()), std::size_t(bin.size())},
                     platform::sizeOf(size), order)),
                 testing::imageOf(form().Picture1->pixels()));
    }

    // The settings dialog says what is wrong, beside the field, and keeps OK until nothing is:
    // what is typed is never corrected behind the user's back. A step a field: "field=text",
    // "pick:field" (the colour button, answered with 123456), "defaults" (標準に戻す),
    // "panel:WxH" (settings given to the dialog), then "return" (the Return key). The outcome:
    // whether OK can be pressed and the reasons shown, or the settings the dialog gave.
    void settingsDialogSaysWhatIsWrong_data()
    {
        QTest::addColumn<QString>("steps");
        QTest::addColumn<QString>("outcome");
        QTest::newRow("width 0") << "panel=other width=0 height=240"
                                 << "OK unavailable: 幅と高さは1以上にしてください";
        QTest::newRow("width 99999 is taken as typed")
            << "panel=other width=99999 height=240"
            << "OK available: "
               "自動処理は、合わせた後の大きさが640×480画素を超える画像を変換しません。";
        QTest::newRow("past the pixel limit") << "panel=other width=99999 height=99999"
                                              << "OK unavailable: 大きすぎます（99999×99999画素）";
        QTest::newRow("full-width digits")
            << "panel=other width=３２０ height=240"
            << "OK unavailable: 幅と高さは半角の数字で入力してください";
        QTest::newRow("background of two digits")
            << "background=12"
            << "OK unavailable: 色は16進数6桁（RRGGBB、例: FF8000）で入力してください";
        QTest::newRow("key colour ticked, too short")
            << "keyed=on key=AB"
            << "OK unavailable: 色は16進数6桁（RRGGBB、例: FF8000）で入力してください";
        QTest::newRow("key colour not ticked, too short") << "key=AB"
                                                          << "OK available";
        QTest::newRow("panel over the batch's limit")
            << "panel=800×480"
            << "OK available: "
               "自動処理は、合わせた後の大きさが640×480画素を超える画像を変換しません。";
        QTest::newRow("colour picked") << "alpha=1 pick:background return"
                                       << "settings: 設定: 重ね合わせ 背景#123456";
        QTest::newRow("a panel of no preset kept") << "panel:123x45 return"
                                                   << "settings: 設定: 123×45 背景#000000";
        QTest::newRow("Return after defaults means OK") << "panel=320×240 dither=2 defaults return"
                                                        << "settings: plain";
    }

    void settingsDialogSaysWhatIsWrong()
    {
        QFETCH(QString, steps);
        QFETCH(QString, outcome);
        main_window::SettingsDialog dialog;
        dialog.setColourPicker(
            [](core::Colour, const QString &) { return core::rgb(0x12, 0x34, 0x56); });
        dialog.show();
        QString result;
        connect(&dialog, &QDialog::accepted, this, [&] {
            const QString line = main_window::settingsLine(dialog.recipe());
            result =
                QStringLiteral("settings: ") + (line.isEmpty() ? QStringLiteral("plain") : line);
        });
        for (const QString &step : steps.split(u' ')) {
            const QString field = step.section(u'=', 0, 0), text = step.section(u'=', 1);
            if (step == u"defaults") {
                QPushButton *defaults = dialog.findChild<QDialogButtonBox *>()->button(
                    QDialogButtonBox::RestoreDefaults);
                QTest::mouseClick(defaults, Qt::LeftButton);
            } else if (step == u"return") {
                QTest::keyClick(QApplication::focusWidget() ? QApplication::focusWidget() : &dialog,
                                Qt::Key_Return);
            } else if (step.startsWith(u"panel:")) {
                core::Recipe given;
                given.panel = core::sizeFromWord(step.mid(6).toStdString());
                dialog.setRecipe(given);
            } else if (step.startsWith(u"pick:")) {
                QTest::mouseClick(dialog.findChild<QToolButton *>(step.mid(5) + "Pick"),
                                  Qt::LeftButton);
            } else if (auto *box = dialog.findChild<QComboBox *>(field)) {
                const int index = box->findText(text);
                box->setCurrentIndex(index >= 0         ? index
                                     : text == u"other" ? box->count() - 1
                                                        : text.toInt());
            } else if (auto *check = dialog.findChild<QCheckBox *>(field)) {
                check->setChecked(text == u"on");
            } else if (auto *edit = dialog.findChild<QLineEdit *>(field)) {
                edit->setText(text);
            }
        }
        if (result.isEmpty()) {
            // The reasons in red, and the note on the batch run's limit.
            QStringList shown;
            for (const QLabel *label : dialog.findChildren<QLabel *>())
                if (label->isVisibleTo(&dialog) &&
                    (label->palette().color(QPalette::WindowText) == QColor(200, 0, 0) ||
                     label->objectName() == u"panelNote"))
                    shown << label->text();
            const bool ok =
                dialog.findChild<QDialogButtonBox *>()->button(QDialogButtonBox::Ok)->isEnabled();
            result = (ok ? QStringLiteral("OK available") : QStringLiteral("OK unavailable")) +
                     (shown.isEmpty() ? QString() : QStringLiteral(": ") + shown.join(u' '));
        }
        QCOMPARE(result, outcome);
    }

    // The file commands, each case a script and what the user finds after it (see the cases).
    void commands_data()
    {
        testing::addCases("main_window", {"files", "script", "outcome"});
    }

    void commands()
    {
        QFETCH(QString, files);
        QFETCH(QString, script);
        QFETCH(QString, outcome);
        for (const QString &file : files.split(' ', Qt::SkipEmptyParts))
            make(file);
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
        form().Picture1->setPicture(testing::storeOf(testing::patternPicture(4, 2)));
        form().CONV();
        const core::BinBuffer before = form().BinBuf;
        const QImage pattern = testing::patternPicture(3, height == 0 ? 50 : height);
        form().Picture1->setPicture(testing::storeOf(pattern));
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

    // Each menu entry and toolbar button opens its command's dialog, with its filter; a button
    // whose key is none of the commands' does nothing.
    void everyEntryAndButtonRunsItsCommand_data()
    {
        testing::addCases("main_window_entries", {"filter", "mode"});
    }

    void everyEntryAndButtonRunsItsCommand()
    {
        const QString name = QString::fromUtf8(QTest::currentDataTag());
        QFETCH(QString, filter);
        QFETCH(QString, mode);
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
            QCOMPARE(dialog().requests[0].mode, mode == u"save" ? Mode::Save : Mode::Open);
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
