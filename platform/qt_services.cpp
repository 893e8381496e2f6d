#include "qt_services.h"

#include "common_dialog.h"
#include "core/version.h"
#include "name_filters.h"

#include <QApplication>
#include <QCursor>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QLineEdit>
#include <QMessageBox>
#include <QScreen>
#include <QWidget>

namespace platform {

void QtMessageBox::show(const QString &text, const QString &title)
{
    QMessageBox box(QMessageBox::NoIcon, title, text, QMessageBox::Ok,
                    QApplication::activeWindow());
    box.setWindowModality(Qt::ApplicationModal);
    box.exec();
}

bool QtMessageBox::ask(const QString &text, const QString &title)
{
    QMessageBox box(QMessageBox::NoIcon, title, text, QMessageBox::Yes | QMessageBox::No,
                    QApplication::activeWindow());
    box.setDefaultButton(QMessageBox::No);
    box.setEscapeButton(QMessageBox::No);
    box.setWindowModality(Qt::ApplicationModal);
    return box.exec() == QMessageBox::Yes;
}

namespace {

const QScreen *screenOf(const QWidget *window)
{
    const QScreen *screen = window ? window->screen() : nullptr;
    return screen ? screen : QGuiApplication::primaryScreen();
}

} // namespace

int QtDisplayCaps::bitsPerPixel(const QWidget *window) const
{
    const QScreen *screen = screenOf(window);
    return screen ? screen->depth() : 0;
}

int QtDisplayCaps::horizontalResolution(const QWidget *window) const
{
    const QScreen *screen = screenOf(window);
    // Device pixels, as the display itself counts them.
    return screen ? qRound(screen->geometry().width() * screen->devicePixelRatio()) : 0;
}

Version QtApplication::version() const
{
    return {core::kVersionMajor, core::kVersionMinor, core::kVersionRevision};
}

QString QtApplication::executableFolder() const
{
    return QCoreApplication::applicationDirPath();
}

void QtApplication::endNow()
{
    // The event loop stops as soon as the handler that asked returns; no window is closed, so
    // none gets a close event.
    QCoreApplication::exit(0);
}

void QtApplication::setBusy(bool busy)
{
    if (busy)
        QGuiApplication::setOverrideCursor(QCursor(Qt::WaitCursor));
    else
        QGuiApplication::restoreOverrideCursor();
}

namespace {

// The names typed into the name field, as Qt's dialog writes a multi-selection there:
// "a.bmp" "c.jpg", or one bare name.
QStringList typedNames(const QString &text)
{
    QStringList names;
    const QString trimmed = text.trimmed();
    if (!trimmed.contains(QLatin1Char('"')))
        return trimmed.isEmpty() ? names : QStringList{trimmed};
    qsizetype at = 0;
    while ((at = trimmed.indexOf(QLatin1Char('"'), at)) >= 0) {
        const qsizetype end = trimmed.indexOf(QLatin1Char('"'), at + 1);
        if (end < 0)
            break;
        names << trimmed.mid(at + 1, end - at - 1);
        at = end + 1;
    }
    return names;
}

} // namespace

std::optional<QStringList> QtFileDialog::run(const Request &request)
{
    const bool open = request.mode == Mode::Open;
    const bool multi = open && (request.flags & 0x200);

    QFileDialog dialog(request.owner);
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setOption(QFileDialog::HideNameFilterDetails);
    // The save commands ask themselves, once they know the name is not the picture on show.
    dialog.setOption(QFileDialog::DontConfirmOverwrite);
    dialog.setAcceptMode(open ? QFileDialog::AcceptOpen : QFileDialog::AcceptSave);
    dialog.setFileMode(multi  ? QFileDialog::ExistingFiles
                       : open ? QFileDialog::ExistingFile
                              : QFileDialog::AnyFile);
    dialog.setNameFilters(dialogNameFilters(request.filter));

    const DialogStart start = dialogStart(request.fileName, request.initDir);
    if (!start.folder.isEmpty())
        dialog.setDirectory(start.folder);
    if (!start.name.isEmpty())
        dialog.selectFile(start.name);

    if (dialog.exec() != QDialog::Accepted)
        return std::nullopt;

    QStringList chosen = dialog.selectedFiles();
    if (multi) {
        // Qt keeps only the typed names that match the filter entry on show; a selection may
        // mix BMP and JPEG files, so take the typed names themselves when they all exist.
        if (const auto *edit = dialog.findChild<QLineEdit *>(QStringLiteral("fileNameEdit"))) {
            QStringList typed;
            for (const QString &name : typedNames(edit->text())) {
                const QFileInfo info(QDir(dialog.directory()), name);
                if (!info.isFile()) {
                    typed.clear();
                    break;
                }
                typed << info.absoluteFilePath();
            }
            if (typed.size() > chosen.size())
                chosen = typed;
        }
    }
    if (chosen.isEmpty())
        return std::nullopt;
    return chosen;
}

} // namespace platform
