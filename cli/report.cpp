#include "report.h"
#include "texts.h"

#include "core/files/native_path.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

namespace cli {

bool showsProgress(bool stderrIsTerminal, bool quiet, std::size_t pictures)
{
    return stderrIsTerminal && !quiet && pictures >= kProgressFromPictures;
}

QString progressLine(std::size_t done, std::size_t total)
{
    return Texts::tr("converting: %1 of %2").arg(done).arg(total);
}

QString summaryLine(std::size_t total, std::size_t failed)
{
    if (failed == 0)
        return Texts::tr("%1 pictures converted").arg(total);
    return Texts::tr("%1 pictures: %2 converted, %3 failed")
        .arg(total)
        .arg(total - failed)
        .arg(failed);
}

ExitStatus exitStatus(std::size_t failed)
{
    return failed == 0 ? kAllConverted : kSomeFailed;
}

namespace {

QString shownPath(const QString &path)
{
    return path == kStandardStream ? Texts::tr("standard output") : core::displayPath(path);
}

} // namespace

QString dryRunLines(const Outcome &outcome)
{
    QString lines;
    for (const Made &made : outcome.made)
        lines += made.kind == Made::Kind::CHeader
                     ? Texts::tr("would write %1: the C header, %2 x %3 pixels\n")
                           .arg(shownPath(made.path))
                           .arg(made.size.width())
                           .arg(made.size.height())
                     : Texts::tr("would write %1: %2 x %3 pixels, %4 bytes of BIN data\n")
                           .arg(shownPath(made.path))
                           .arg(made.size.width())
                           .arg(made.size.height())
                           .arg(made.bytes);
    return lines;
}

namespace {

QString kindWord(Made::Kind kind)
{
    switch (kind) {
    case Made::Kind::Bin:
        return QStringLiteral("bin");
    case Made::Kind::CSource:
        return QStringLiteral("c");
    case Made::Kind::CHeader:
        return QStringLiteral("h");
    case Made::Kind::Preview:
        return QStringLiteral("preview");
    case Made::Kind::Bitmap:
        return QStringLiteral("bmp");
    }
    return {};
}

QString jsonPath(const QString &path)
{
    return path == kStandardStream ? QStringLiteral("-") : core::displayPath(path);
}

QByteArray document(QJsonObject fields, bool written)
{
    fields.insert("version", kJsonVersion);
    fields.insert("written", written);
    return QJsonDocument(fields).toJson(QJsonDocument::Indented);
}

} // namespace

QByteArray jsonReport(const std::vector<Job> &jobs, const std::vector<Outcome> &outcomes,
                      const Options &options)
{
    QJsonArray pictures;
    std::size_t failed = 0;
    for (std::size_t i = 0; i < jobs.size() && i < outcomes.size(); ++i) {
        const Outcome &outcome = outcomes[i];
        QJsonObject picture{
            {"input", jsonPath(jobs[i].source)},
            {"status", outcome.error.isEmpty() ? "converted" : "failed"},
        };
        if (outcome.error.isEmpty()) {
            QJsonArray made;
            for (const Made &output : outcome.made)
                made.append(QJsonObject{{"path", jsonPath(output.path)},
                                        {"kind", kindWord(output.kind)},
                                        {"width", output.size.width()},
                                        {"height", output.size.height()},
                                        {"bytes", qint64(output.bytes)}});
            picture.insert("outputs", made);
            picture.insert("width", outcome.size.width());
            picture.insert("height", outcome.size.height());
            picture.insert("frames", outcome.frames);
        } else {
            picture.insert("reason", outcome.error);
            ++failed;
        }
        pictures.append(picture);
    }
    return document(
        {
            {"pictures", pictures},
            {"converted", qint64(jobs.size() - failed)},
            {"failed", qint64(failed)},
        },
        !options.dryRun);
}

QByteArray jsonUsageError(const QString &error)
{
    return document({{"error", error}, {"pictures", QJsonArray()}, {"converted", 0}, {"failed", 0}},
                    false);
}

bool asksForJson(const QStringList &arguments)
{
    for (const QString &argument : arguments.mid(1)) {
        if (argument == u"--")
            break;
        if (argument == u"--json")
            return true;
    }
    return false;
}

} // namespace cli
