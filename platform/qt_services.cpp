#include "qt_services.h"

#include "common_dialog.h"
#include "core/version.h"
#include "name_filters.h"
#include "paths.h"

#include <QApplication>
#include <QCursor>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QFileSystemModel>
#include <QHeaderView>
#include <QIdentityProxyModel>
#include <QLineEdit>
#include <QListView>
#include <QMessageBox>
#include <QScreen>
#include <QScrollBar>
#include <QSplitter>
#include <QTreeView>
#include <QWidget>

namespace platform {

namespace {

int exec(QMessageBox &box)
{
    // Set on the box itself: during the splash or between a batch run's files no window of
    // ours is active to lend it its icon.
    box.setWindowIcon(QIcon(QStringLiteral(":/icons/varnello.xpm")));
    box.setWindowModality(Qt::ApplicationModal);
    return box.exec();
}

// The list's sizes and dates in the language of the windows (the default locale), where
// QFileSystemModel would take the desktop's.
class LocalisedDetails final : public QIdentityProxyModel
{
public:
    using QIdentityProxyModel::QIdentityProxyModel;

    QVariant data(const QModelIndex &index, int role) const override
    {
        const auto *files = static_cast<const QFileSystemModel *>(sourceModel());
        const QModelIndex source = mapToSource(index);
        if (role == Qt::DisplayRole && index.column() == 1 && !files->isDir(source))
            return QLocale().formattedDataSize(files->size(source), 1,
                                               QLocale::DataSizeTraditionalFormat);
        if (role == Qt::DisplayRole && index.column() == 3)
            return QLocale().toString(files->lastModified(source), QLocale::ShortFormat);
        return QIdentityProxyModel::data(index, role);
    }
};

} // namespace

void QtMessageBox::show(const QString &text, const QString &title)
{
    QMessageBox box(QMessageBox::NoIcon, title, text, QMessageBox::Ok,
                    QApplication::activeWindow());
    exec(box);
}

bool QtMessageBox::ask(const QString &text, const QString &title)
{
    QMessageBox box(QMessageBox::NoIcon, title, text, QMessageBox::Yes | QMessageBox::No,
                    QApplication::activeWindow());
    box.setDefaultButton(QMessageBox::No);
    box.setEscapeButton(QMessageBox::No);
    return exec(box) == QMessageBox::Yes;
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

    if (auto *files = dialog.findChild<QFileSystemModel *>()) {
        auto *details = new LocalisedDetails(&dialog);
        details->setSourceModel(files);
        dialog.setProxyModel(details);
    }
    // Every column as wide as its widest entry; the names take the rest of the width.
    if (auto *view = dialog.findChild<QTreeView *>(QStringLiteral("treeView"))) {
        view->header()->setSectionResizeMode(QHeaderView::ResizeToContents);
        view->header()->setSectionResizeMode(0, QHeaderView::Stretch);
    }
    dialog.resize(dialog.size().expandedTo({760, 460}));
    // The places on the left, as wide as their names.
    auto *places = dialog.findChild<QListView *>(QStringLiteral("sidebar"));
    auto *splitter = dialog.findChild<QSplitter *>(QStringLiteral("splitter"));
    if (places && splitter && splitter->count() == 2) {
        const int wanted = places->sizeHintForColumn(0) + 2 * places->frameWidth() +
                           places->verticalScrollBar()->sizeHint().width();
        const int total = splitter->sizes().value(0) + splitter->sizes().value(1);
        splitter->setSizes({wanted, total - wanted});
    }

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
    // Qt lists a name that is not UTF-8 with stand-ins for its bytes; find the file again.
    for (QString &path : chosen)
        path = recoverLossyPath(path);
    return chosen;
}

} // namespace platform
