// The start-up procedure of Module1: show the splash window and let the windows' events run
// the program from there.
#include "core/decode/picture_loader.h"
#include "main_window/form1.h"
#include "platform/fonts.h"
#include "platform/paths.h"
#include "platform/qt_services.h"
#include "startup/frm_splash.h"
#include "startup/module1.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QFileInfo>
#include <QLocale>
#include <QPointer>

#include <cstdio>
#include <optional>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("varnello"));
    QApplication::setApplicationDisplayName(QString());
    // A Japanese face for all text, at the size Japanese dialogs are laid out for.
    QApplication::setFont(platform::japaneseFont(9, false));
    // The windows speak Japanese whatever the desktop's language, so the reasons the program
    // gives and Qt's own dialogs and buttons should too.
    // Their file dialogs list sizes, dates and file types in Japanese too.
    const QLocale japanese(QLocale::Japanese, QLocale::Japan);
    platform::installQtTranslations(japanese);
    QLocale::setDefault(japanese);
    // Any window without an icon of its own, Qt's dialogs too, shows the program's.
    QApplication::setWindowIcon(QIcon(QStringLiteral(":/icons/varnello.xpm")));

    // `varnello FILE`, as a file manager's "Open with" runs it.
    QCommandLineParser parser;
    parser.addPositionalArgument(QStringLiteral("file"), QStringLiteral("A picture to open."),
                                 QStringLiteral("[FILE]"));
    // The file's name exactly as given: on Unix it need not be UTF-8.
    parser.process(platform::commandLineArguments(argc, argv));
    const QStringList files = parser.positionalArguments();
    if (files.size() > 1) {
        std::fputs("varnello: give one picture at most\n", stderr);
        return 1;
    }
    // Made full now: the main window moves the current folder to the program's own.
    const std::optional<QString> given =
        files.isEmpty() ? std::nullopt
                        : std::optional<QString>(QFileInfo(files.front()).absoluteFilePath());

    platform::QtServices qt;
    const platform::Services services = qt.services();
    Module1 module1;
    QPointer<Form1> form1;

    auto *splash = new frmSplash(services, [&] {
        form1 = new Form1(services, module1);
        form1->show();
        form1->repaint();
        if (given)
            form1->OPEN(given);
    });
    splash->show();
    splash->repaint();

    const int status = QApplication::exec();
    // Ending at once leaves the windows open; they go with the program, without close events.
    delete form1;
    return status;
}
