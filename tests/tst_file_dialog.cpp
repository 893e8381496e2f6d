#include "main_window/form1.h"
#include "platform/qt_services.h"
#include "startup/module1.h"
#include "support.h"

#include <QDir>
#include <QFileDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QPointer>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QTreeView>

// The product's real file dialog, answered by typing into its name field as a user would.
class tst_FileDialog : public QObject
{
    Q_OBJECT

    testing::FakeServices m_fakes;
    platform::QtFileDialog m_realDialog;
    Module1 m_module1;
    std::unique_ptr<Form1> m_form;
    QTemporaryDir m_dir;

    QString path(const QString &name) const
    {
        return QDir::toNativeSeparators(m_dir.filePath(name));
    }

    std::unique_ptr<QTimer> m_poll;

    // Waits for the next modal file dialog, shows it to `look`, and types `text` into its name
    // field, then Enter (again, until that dialog has taken it).
    void answerNextDialog(const QString &text, std::function<void(QFileDialog *)> look = {})
    {
        m_poll = std::make_unique<QTimer>();
        auto answered = std::make_shared<QPointer<QFileDialog>>();
        auto waited = std::make_shared<int>(0);
        connect(m_poll.get(), &QTimer::timeout, this, [this, text, look, answered, waited] {
            auto *dialog = qobject_cast<QFileDialog *>(QApplication::activeModalWidget());
            if (!*answered && dialog) {
                // Type after a pause, as a user does: the dialog has then listed the folder, its
                // list follows what is typed, and that is where Qt's own dialog drops the names
                // that the filter entry on show hides.
                if (++*waited < 10)
                    return;
                *answered = dialog;
                if (look)
                    look(dialog);
                auto *edit = dialog->findChild<QLineEdit *>(QStringLiteral("fileNameEdit"));
                QTest::keyClick(edit, Qt::Key_A, Qt::ControlModifier);
                QTest::keyClicks(edit, text);
            }
            if (*answered && dialog == answered->data()) {
                QTest::keyClick(dialog->findChild<QLineEdit *>(QStringLiteral("fileNameEdit")),
                                Qt::Key_Return);
                return;
            }
            if (*answered)
                m_poll->stop();
        });
        m_poll->start(50);
    }

private slots:
    void initTestCase() { QLocale::setDefault(QLocale(QLocale::Japanese, QLocale::Japan)); }

    void init()
    {
        m_fakes = {};
        m_fakes.application.folder = m_dir.path();
        platform::Services services{m_fakes.messageBox, m_fakes.displayCaps, m_fakes.application,
                                    m_realDialog};
        m_form = std::make_unique<Form1>(services, m_module1);
        m_form->setAttribute(Qt::WA_DeleteOnClose, false);
        m_form->show();
    }

    void cleanup()
    {
        m_poll.reset();
        m_form.reset();
    }

    void typingAPathAndEnterOpensIt()
    {
        const QString p = path("typed.jpg");
        QVERIFY(testing::patternPicture(21, 13).save(p, "JPEG"));
        answerNextDialog(p);
        m_form->mnuopn->trigger();
        QCOMPARE(m_form->Picture1->ScaleWidth(), 21);
        QCOMPARE(m_form->windowTitle(), QStringLiteral("65ｋ色Varnello(") + p + ")");
        QVERIFY(m_fakes.messageBox.shown.isEmpty());
        // Saving over it is refused, and not asked about first.
        answerNextDialog(p);
        m_form->mnussav->trigger();
        QCOMPARE(m_fakes.messageBox.shown.value(0).second, QStringLiteral("警告"));
    }

    // With the BMP entry on show, Qt's dialog alone would drop c.jpg from the selection. The
    // list gives sizes and dates in Japanese.
    void aTypedMultiSelectionMayMixBmpAndJpeg()
    {
        QVERIFY(testing::patternPicture(5, 5).save(path("a.bmp"), "BMP"));
        QVERIFY(testing::patternPicture(300, 200).save(path("b.bmp"), "BMP"));
        QVERIFY(testing::patternPicture(6, 6).save(path("c.jpg"), "JPEG"));
        m_form->CommonDialog1.FileName = path("b.bmp"); // the dialog opens in that folder
        QString listed;
        answerNextDialog(QStringLiteral("\"a.bmp\" \"b.bmp\" \"c.jpg\""), [&](QFileDialog *dialog) {
            const auto *view = dialog->findChild<QTreeView *>("treeView");
            const QModelIndex b = view->selectionModel()->selectedRows().value(0);
            listed = b.siblingAtColumn(1).data().toString() + " | " +
                     b.siblingAtColumn(3).data().toString();
        });
        m_form->mnubat->trigger();
        QCOMPARE(listed, "175.8 KB | " +
                             QFileInfo(path("b.bmp")).lastModified().toString("yyyy/MM/dd H:mm"));
        QVERIFY(QFile::exists(path("a.BIN")));
        QVERIFY(QFile::exists(path("b.BIN")));
        QVERIFY2(QFile::exists(path("c.BIN")), qPrintable(m_fakes.messageBox.shown.value(0).first));
        QCOMPARE(m_fakes.messageBox.shown.size(), 1);
        QCOMPARE(m_fakes.messageBox.shown[0].second, QStringLiteral("通知"));
    }

    // The question before a file is replaced: Enter and Esc keep the file, only Yes replaces it.
    void replacingAsksWithNoAsTheDefault_data()
    {
        QTest::addColumn<int>("key"); // 0: a click on Yes
        QTest::addColumn<bool>("replaced");
        QTest::newRow("Enter") << int(Qt::Key_Return) << false;
        QTest::newRow("Esc") << int(Qt::Key_Escape) << false;
        QTest::newRow("Yes") << 0 << true;
    }

    void replacingAsksWithNoAsTheDefault()
    {
        QFETCH(int, key);
        QFETCH(bool, replaced);
        QTimer poll;
        connect(&poll, &QTimer::timeout, this, [&] {
            auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
            if (!box)
                return;
            poll.stop();
            if (key == 0)
                box->button(QMessageBox::Yes)->click();
            else
                QTest::keyClick(box, Qt::Key(key));
        });
        poll.start(20);
        platform::QtMessageBox messages;
        QCOMPARE(messages.ask(QStringLiteral("replace?"), QStringLiteral("question")), replaced);
    }
};

QTEST_MAIN(tst_FileDialog)
#include "tst_file_dialog.moc"
