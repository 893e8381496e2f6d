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
        lines += Texts::tr("would write %1: %2 x %3 pixels, %4 bytes of BIN data\n")
                     .arg(shownPath(made.path))
                     .arg(made.size.width())
                     .arg(made.size.height())
                     .arg(made.bytes);
    return lines;
}

QByteArray jsonReport(const std::vector<Job> &jobs, const std::vector<Outcome> &outcomes,
                      const Options &options)
{
    QJsonArray pictures;
    std::size_t failed = 0;
    for (std::size_t i = 0; i < jobs.size() && i < outcomes.size(); ++i) {
        const Outcome &outcome = outcomes[i];
        QJsonObject picture{
            {"input", jobs[i].source == kStandardStream ? QStringLiteral("-")
                                                        : core::displayPath(jobs[i].source)},
            {"status", outcome.error.isEmpty() ? "converted" : "failed"},
        };
        if (outcome.error.isEmpty()) {
            QJsonArray made;
            for (const Made &output : outcome.made)
                made.append(QJsonObject{{"path", output.path == kStandardStream
                                                     ? QStringLiteral("-")
                                                     : core::displayPath(output.path)},
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
    const QJsonObject document{
        {"pictures", pictures},
        {"converted", qint64(jobs.size() - failed)},
        {"failed", qint64(failed)},
        {"written", !options.dryRun},
    };
    return QJsonDocument(document).toJson(QJsonDocument::Indented);
}

} // namespace cli
