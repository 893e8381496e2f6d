// varnello-convert: the window program's conversion for scripts and build servers. Needs no
// display: QImage reads and writes pictures without a GUI application.

#include "cli/options.h"
#include "cli/plan.h"
#include "cli/report.h"
#include "cli/run.h"
#include "cli/wildcards.h"
#include "core/decode/picture_loader.h"
#include "core/files/native_path.h"
#include "core/files/output_file.h"
#include "core/texts.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QThread>

#include <csignal>
#include <cstdio>

#include <fcntl.h>
#ifdef Q_OS_WIN
#include <io.h>
#include <windows.h>
#else
#include <unistd.h>
#endif

namespace {

// The command's lines, and nothing else: the decoders' libraries are silenced where they would
// speak, so that standard error stays open for what the system or a sanitizer has to say.
std::FILE *const errors = stderr;

// Ctrl-C, or a polite kill, still removes the temporary files of the BIN files being written
// where they have names; then the process ends as the signal would have ended it.
#ifdef Q_OS_WIN
BOOL WINAPI interrupted(DWORD)
{
    core::removeTemporaryFiles();
    return FALSE;
}

void removeTemporariesWhenInterrupted()
{
    SetConsoleCtrlHandler(interrupted, TRUE);
}
#else
void interrupted(int signal)
{
    core::removeTemporaryFiles();
    std::signal(signal, SIG_DFL);
    std::raise(signal);
}

void removeTemporariesWhenInterrupted()
{
    for (const int signal : {SIGINT, SIGTERM, SIGHUP})
        std::signal(signal, interrupted);
}
#endif

bool errorsGoToTerminal()
{
#ifdef Q_OS_WIN
    return _isatty(_fileno(errors)) != 0;
#else
    return isatty(fileno(errors)) != 0;
#endif
}

void print(std::FILE *stream, const QString &text)
{
    std::fputs(text.toLocal8Bit().constData(), stream);
}

// Redraws one line on the terminal; an error line first wipes it, then it comes back.
class Progress
{
public:
    explicit Progress(bool shown)
        : m_shown(shown)
    {
        m_sinceDrawn.start();
    }

    void show(std::size_t done, std::size_t total)
    {
        // A terminal that is sent a line per picture slows a fast run down.
        if (!m_shown || (done < total && m_sinceDrawn.elapsed() < 100))
            return;
        wipe();
        m_line = cli::progressLine(done, total);
        print(errors, m_line);
        m_sinceDrawn.restart();
    }

    void wipe()
    {
        if (m_line.isEmpty())
            return;
        print(errors, QStringLiteral("\r%1\r").arg(QString(m_line.size(), u' ')));
        m_line.clear();
    }

private:
    bool m_shown;
    QString m_line;
    QElapsedTimer m_sinceDrawn;
};

} // namespace

int main(int argc, char *argv[])
{
#ifdef Q_OS_WIN
    // BIN files and pictures through pipes are bytes, not text.
    _setmode(_fileno(stdin), _O_BINARY);
    _setmode(_fileno(stdout), _O_BINARY);
#endif
    // First of all: a closed standard output must not be taken by the next file opened.
    core::claimStandardStreams();
    removeTemporariesWhenInterrupted();
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("varnello-convert"));
    // English unless the user's locale asks for Japanese.
    if (QLocale().language() == QLocale::Japanese)
        core::installTranslations(QLocale());

    const QStringList arguments = core::commandLineArguments(argc, argv);
    const cli::Parsed parsed = cli::parseArguments(arguments, QThread::idealThreadCount());
    const auto usageError = [&](const QString &text) {
        print(errors,
              QStringLiteral("varnello-convert: %1\n").arg(text) +
                  QCoreApplication::translate("cli", "Try 'varnello-convert --help' for more.\n"));
        if (cli::asksForJson(arguments)) {
            const QByteArray json = cli::jsonUsageError(text);
            core::writeStandardOutput({reinterpret_cast<const std::uint8_t *>(json.constData()),
                                       std::size_t(json.size())})
                .ok();
        }
        return cli::kUsageError;
    };
    switch (parsed.action) {
    case cli::Parsed::Action::ShowHelp:
    case cli::Parsed::Action::ShowVersion:
        print(stdout, parsed.text);
        return cli::kAllConverted;
    case cli::Parsed::Action::UsageError:
        return usageError(parsed.text);
    case cli::Parsed::Action::Run:
        break;
    }

    cli::Options options = parsed.options;
#ifdef Q_OS_WIN
    options.pictures = cli::expandWildcards(options.pictures);
#endif
    const cli::Plan plan = cli::planJobs(options);
    if (!plan.usageError.isEmpty())
        return usageError(plan.usageError);

    const std::size_t total = plan.jobs.size();
    Progress progress(
        cli::showsProgress(errorsGoToTerminal(), options.quiet || options.json, total));
    std::vector<cli::Outcome> outcomes(total);
    const auto toStandardOutput = [](const QByteArray &bytes) {
        return core::writeStandardOutput(
            {reinterpret_cast<const std::uint8_t *>(bytes.constData()), std::size_t(bytes.size())});
    };
    std::size_t failed =
        cli::runPlan(plan.jobs, options, [&](std::size_t index, cli::Outcome &outcome) {
            const QString line = !outcome.error.isEmpty() ? outcome.error
                                 : options.quiet          ? QString()
                                                          : outcome.note;
            if (!line.isEmpty()) {
                progress.wipe();
                print(errors, QStringLiteral("varnello-convert: ") + line + u'\n');
            }
            if (options.dryRun && !options.json && !plan.oneSource)
                if (const auto shown = toStandardOutput(cli::dryRunLines(outcome).toLocal8Bit());
                    !shown)
                    print(errors,
                          QStringLiteral("varnello-convert: ") + shown.error().toString() + u'\n');
            progress.show(index + 1, total);
            outcomes[index] = std::move(outcome);
        });
    progress.wipe();
    if (plan.oneSource) {
        if (const QString error = cli::writeOneSource(plan, options, outcomes); !error.isEmpty()) {
            print(errors, QStringLiteral("varnello-convert: ") + error + u'\n');
            failed = total;
        } else if (options.dryRun && !options.json && !outcomes.empty()) {
            for (const cli::Outcome &outcome : outcomes)
                if (const auto shown = toStandardOutput(cli::dryRunLines(outcome).toLocal8Bit());
                    !shown)
                    break;
        }
    }
    if (options.json) {
        if (const auto shown = toStandardOutput(cli::jsonReport(plan.jobs, outcomes, options));
            !shown) {
            print(errors, QStringLiteral("varnello-convert: ") + shown.error().toString() + u'\n');
            return cli::kSomeFailed;
        }
    } else if (total > 1 && !options.quiet) {
        print(errors, cli::summaryLine(total, failed) + u'\n');
    }
    return cli::exitStatus(failed);
}
