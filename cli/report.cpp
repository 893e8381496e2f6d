#include "report.h"
#include "texts.h"

#include <nlohmann/json.hpp>

namespace cli {

bool showsProgress(bool stderrIsTerminal, bool quiet, std::size_t pictures)
{
    return stderrIsTerminal && !quiet && pictures >= kProgressFromPictures;
}

std::string progressLine(std::size_t done, std::size_t total)
{
    return said(core::message(VTR("cli", "converting: %1 of %2"), std::uint64_t(done),
                              std::uint64_t(total)));
}

std::string summaryLine(std::size_t total, std::size_t failed)
{
    if (failed == 0)
        return said(core::message(VTR("cli", "%1 pictures converted"), std::uint64_t(total)));
    return said(core::message(VTR("cli", "%1 pictures: %2 converted, %3 failed"),
                              std::uint64_t(total), std::uint64_t(total - failed),
                              std::uint64_t(failed)));
}

ExitStatus exitStatus(std::size_t failed)
{
    return failed == 0 ? kAllConverted : kSomeFailed;
}

namespace {

std::string shownPath(const std::filesystem::path &path)
{
    return isStandardStream(path) ? said({VTR("cli", "standard output")}) : core::displayPath(path);
}

} // namespace

std::string dryRunLines(const Outcome &outcome)
{
    std::string lines;
    for (const Made &made : outcome.made)
        lines += made.kind == Made::Kind::CHeader
                     ? said(core::message(VTR("cli", "would write %1: the C header, %2 x %3 "
                                                     "pixels\n"),
                                          shownPath(made.path), made.size.width, made.size.height))
                     : said(core::message(VTR("cli", "would write %1: %2 x %3 pixels, %4 bytes "
                                                     "of BIN data\n"),
                                          shownPath(made.path), made.size.width, made.size.height,
                                          made.bytes));
    return lines;
}

namespace {

const char *kindWord(Made::Kind kind)
{
    switch (kind) {
    case Made::Kind::Bin:
        return "bin";
    case Made::Kind::CSource:
        return "c";
    case Made::Kind::CHeader:
        return "h";
    case Made::Kind::Preview:
        return "preview";
    case Made::Kind::Bitmap:
        return "bmp";
    }
    return "";
}

std::string jsonPath(const std::filesystem::path &path)
{
    return isStandardStream(path) ? "-" : core::displayPath(path);
}

std::string document(nlohmann::json fields, bool written)
{
    fields["version"] = kJsonVersion;
    fields["written"] = written;
    // Keys in order and four blanks an indent, as the documentation shows it; UTF-8 as it is.
    return fields.dump(4, ' ', false, nlohmann::json::error_handler_t::replace) + '\n';
}

} // namespace

std::string jsonReport(const std::vector<Job> &jobs, const std::vector<Outcome> &outcomes,
                       const Options &options)
{
    nlohmann::json pictures = nlohmann::json::array();
    std::size_t failed = 0;
    for (std::size_t i = 0; i < jobs.size() && i < outcomes.size(); ++i) {
        const Outcome &outcome = outcomes[i];
        nlohmann::json picture{
            {"input", jsonPath(jobs[i].source)},
            {"status", outcome.error.empty() ? "converted" : "failed"},
        };
        if (outcome.error.empty()) {
            nlohmann::json made = nlohmann::json::array();
            for (const Made &output : outcome.made)
                made.push_back({{"path", jsonPath(output.path)},
                                {"kind", kindWord(output.kind)},
                                {"width", output.size.width},
                                {"height", output.size.height},
                                {"bytes", output.bytes}});
            picture["outputs"] = made;
            picture["width"] = outcome.size.width;
            picture["height"] = outcome.size.height;
            picture["frames"] = outcome.frames;
        } else {
            picture["reason"] = outcome.error;
            ++failed;
        }
        pictures.push_back(picture);
    }
    return document(
        {{"pictures", pictures}, {"converted", jobs.size() - failed}, {"failed", failed}},
        !options.dryRun);
}

std::string jsonUsageError(const std::string &error)
{
    return document(
        {{"error", error}, {"pictures", nlohmann::json::array()}, {"converted", 0}, {"failed", 0}},
        false);
}

bool asksForJson(const std::vector<std::filesystem::path> &arguments)
{
    for (std::size_t i = 1; i < arguments.size(); ++i) {
        if (arguments[i] == std::filesystem::path("--"))
            break;
        if (arguments[i] == std::filesystem::path("--json"))
            return true;
    }
    return false;
}

} // namespace cli
