// varnello-convert: the window program's conversion for scripts and build servers. Needs no
// display, and no library but the decoders' and the C++ standard library.

#include "cli/console.h"
#include "cli/options.h"
#include "cli/plan.h"
#include "cli/report.h"
#include "cli/run.h"
#include "cli/texts.h"
#include "core/files/output_file.h"

#include <chrono>
#include <thread>

namespace {

using cli::console::Stream;

void printLine(Stream stream, const std::string &line)
{
    cli::console::print(stream, line + '\n');
}

// Redraws one line on the terminal; an error line first wipes it, then it comes back.
class Progress
{
public:
    explicit Progress(bool shown)
        : m_shown(shown)
    {}

    void show(std::size_t done, std::size_t total)
    {
        // A terminal that is sent a line per picture slows a fast run down.
        const auto now = std::chrono::steady_clock::now();
        if (!m_shown || (done < total && now - m_drawn < std::chrono::milliseconds(100)))
            return;
        wipe();
        m_line = cli::progressLine(done, total);
        cli::console::print(Stream::Error, m_line);
        m_drawn = now;
    }

    void wipe()
    {
        if (m_line.empty())
            return;
        const std::string blank(m_line.size(), ' ');
        cli::console::print(Stream::Error, '\r' + blank + '\r');
        m_line.clear();
    }

private:
    bool m_shown;
    std::string m_line;
    std::chrono::steady_clock::time_point m_drawn;
};

bool show(const std::string &text)
{
    return cli::console::print(Stream::Output, text);
}

} // namespace

int main(int argc, char *argv[])
{
    cli::console::useBinaryStandardStreams();
    // First of all: a closed standard output must not be taken by the next file opened.
    core::claimStandardStreams();
    // Ctrl-C, or a polite kill, still removes the temporary files of the BIN files being
    // written where they have names.
    cli::console::onInterrupt(core::removeTemporaryFiles);
    // English unless the user's language is Japanese.
    if (cli::console::userSpeaksJapanese())
        cli::setLanguage(texts::Language::Japanese);

    const auto arguments = cli::console::arguments(argc, argv);
    const unsigned cores = std::thread::hardware_concurrency();
    const cli::Parsed parsed = cli::parseArguments(arguments, cores ? int(cores) : 1);
    const auto usageError = [&](const std::string &text) {
        printLine(Stream::Error, "varnello-convert: " + text);
        cli::console::print(Stream::Error,
                            cli::said({VTR("cli", "Try 'varnello-convert --help' for more.\n")}));
        if (cli::asksForJson(arguments) && !show(cli::jsonUsageError(text)))
            printLine(Stream::Error,
                      "varnello-convert: " + cli::said({VTR("cli", "standard output is closed")}));
        return cli::kUsageError;
    };
    switch (parsed.action) {
    case cli::Parsed::Action::ShowHelp:
    case cli::Parsed::Action::ShowVersion:
        show(parsed.text);
        return cli::kAllConverted;
    case cli::Parsed::Action::UsageError:
        return usageError(parsed.text);
    case cli::Parsed::Action::Run:
        break;
    }

    cli::Options options = parsed.options;
#if defined(_WIN32)
    options.pictures = cli::console::expandWildcards(options.pictures);
#endif
    const cli::Plan plan = cli::planJobs(options);
    if (!plan.usageError.empty())
        return usageError(plan.usageError);

    const std::size_t total = plan.jobs.size();
    Progress progress(cli::showsProgress(cli::console::isTerminal(Stream::Error),
                                         options.quiet || options.json, total));
    std::vector<cli::Outcome> outcomes(total);
    const auto toStandardOutput = [](const std::string &text) {
        return core::writeStandardOutput(
            {reinterpret_cast<const std::uint8_t *>(text.data()), text.size()});
    };
    std::size_t failed =
        cli::runPlan(plan.jobs, options, [&](std::size_t index, cli::Outcome &outcome) {
            const std::string line = !outcome.error.empty() ? outcome.error
                                     : options.quiet        ? std::string()
                                                            : outcome.note;
            if (!line.empty()) {
                progress.wipe();
                printLine(Stream::Error, "varnello-convert: " + line);
            }
            if (options.dryRun && !options.json && !plan.oneSource)
                if (const auto shown = toStandardOutput(cli::dryRunLines(outcome)); !shown)
                    printLine(Stream::Error, "varnello-convert: " + cli::said(shown.error()));
            progress.show(index + 1, total);
            outcomes[index] = std::move(outcome);
        });
    progress.wipe();
    if (plan.oneSource) {
        if (const std::string error = cli::writeOneSource(plan, options, outcomes);
            !error.empty()) {
            printLine(Stream::Error, "varnello-convert: " + error);
            failed = total;
        } else if (options.dryRun && !options.json && !outcomes.empty()) {
            for (const cli::Outcome &outcome : outcomes)
                if (!toStandardOutput(cli::dryRunLines(outcome)))
                    break;
        }
    }
    if (options.json) {
        if (const auto shown = toStandardOutput(cli::jsonReport(plan.jobs, outcomes, options));
            !shown) {
            printLine(Stream::Error, "varnello-convert: " + cli::said(shown.error()));
            return cli::kSomeFailed;
        }
    } else if (total > 1 && !options.quiet) {
        printLine(Stream::Error, cli::summaryLine(total, failed));
    }
    return cli::exitStatus(failed);
}
