#include "auto_run.h"

#include "core/files/bin_file.h"
#include "core/files/output_name.h"
#include "file_list.h"
#include "platform/common_dialog.h"
#include "platform/paths.h"

#include <QDir>

namespace batch {

namespace {

const QString kTooLarge = QStringLiteral("画像サイズオーバーです。処理を中断します。");
const QString kDone = QStringLiteral("自動処理が終了しました。");
const QString kWouldReplaceSource =
    QStringLiteral("出力ファイルが元の画像ファイルと同じため、処理を中断します。");

} // namespace

void runAuto(AutoHost &host, AutoFields &f, const std::optional<QStringList> &given)
{
    host.setAutoFlag(1);
    f.LastFlag = 0;

    platform::CommonDialog &dialog = host.dialog();
    dialog.Filter = kPictureFilter;
    // The added bits stay for every later dialog.
    dialog.Flags |= platform::CommonDialog::Explorer | platform::CommonDialog::AllowMultiSelect;
    if (given && given->isEmpty())
        return;
    if (!given && !dialog.ShowOpen())
        return;

    const QChar separator = QDir::separator();
    qsizetype next = 0;
    if (given) {
        f.CurFile = given->front();
        f.LastFlag = given->size() == 1 ? 1 : 0;
    } else {
        startFileList(f, dialog.FileName, separator);
    }
    for (;;) {
        const QString source = f.CurFile;
        if (const auto loaded = host.loadIntoCanvas(source); !loaded) {
            host.warnCannotLoad(loaded.error());
            return;
        }
        host.setCaptionFor(source);

        const QSize size = host.convertedSize();
        if (size.width() > kMaxWidth || size.height() > kMaxHeight) {
            // The refused picture is on the canvas: the sizes and the status describe it, and
            // nothing of the previous one is left drawn over it.
            host.layoutAfterLoad();
            // Which picture, and why, each on a line of its own.
            host.warn(kTooLarge + QLatin1Char('\n') + platform::displayPath(source) +
                      QStringLiteral("\n（%1×%2画素。上限は%3×%4画素です）")
                          .arg(size.width())
                          .arg(size.height())
                          .arg(kMaxWidth)
                          .arg(kMaxHeight));
            return;
        }

        host.layoutAfterLoad();
        host.showStatus(AutoHost::Status::Converting);
        if (!host.convert())
            return;

        const auto output = core::binPathFor(platform::toPath(source));
        if (!output || source.size() > 32767) {
            // The window speaks Japanese whatever the system's language.
            host.warnCannotSave({core::Error::Kind::CannotWrite,
                                 core::subjectOf(platform::toPath(source)),
                                 {"このパスからはBINファイルの名前を作れません"}});
            return;
        }
        f.PathLen = std::int16_t(source.size());
        // A picture whose own name ends in BIN would be replaced by its output.
        if (core::wouldOverwriteSource(platform::toPath(source), *output)) {
            host.warn(kWouldReplaceSource + QLatin1Char('\n') + platform::displayPath(source));
            return;
        }
        f.CurFile = platform::fromPath(*output);

        if (const auto written =
                core::writeBinFile(*output, host.bin(), {core::Durability::Synced, false});
            !written) {
            host.warnCannotSave(written.error());
            return;
        }
        host.showStatus(AutoHost::Status::BinSaved);

        if (f.LastFlag == 1)
            break;
        if (given) {
            f.CurFile = given->at(++next);
            f.LastFlag = next + 1 == given->size() ? 1 : 0;
        } else {
            takeNextName(f, separator);
        }
    }
    host.notify(kDone);
}

} // namespace batch
