// What the command tells its user besides the error lines, and how it ends.
#pragma once

#include "plan.h"
#include "run.h"

#include <cstddef>
#include <filesystem>
#include <string>
#include <vector>

namespace cli {

enum ExitStatus
{
    kAllConverted = 0,
    kSomeFailed = 1,
    kUsageError = 2,
};

// A progress line is worth its noise only on a terminal and for a run that takes a while.
inline constexpr std::size_t kProgressFromPictures = 20;

bool showsProgress(bool stderrIsTerminal, bool quiet, std::size_t pictures);

// "converting: 57 of 200", without a line end: it is redrawn in place.
std::string progressLine(std::size_t done, std::size_t total);

// "200 pictures converted" or "200 pictures: 197 converted, 3 failed", for runs of several.
std::string summaryLine(std::size_t total, std::size_t failed);

ExitStatus exitStatus(std::size_t failed);

// A dry run's lines for one picture: each output it would write, with its size.
std::string dryRunLines(const Outcome &outcome);

// The --json document: each picture, what it became or why it did not, and the counts. Its
// "version" grows when a field changes meaning or goes; new fields keep it.
inline constexpr int kJsonVersion = 1;
std::string jsonReport(const std::vector<Job> &jobs, const std::vector<Outcome> &outcomes,
                       const Options &options);
// The document for a command line that is wrong: nothing was run.
std::string jsonUsageError(const std::string &error);
// Whether the arguments ask for --json, read before they are understood, so that a script
// that asked gets its document even when the rest is wrong.
bool asksForJson(const std::vector<std::filesystem::path> &arguments);

} // namespace cli
