// Where each picture's BIN file goes, decided for the whole run before anything is converted,
// so that two pictures never race for one output and no output replaces a picture of the run.
#pragma once

#include "options.h"

#include <QString>

#include <vector>

namespace cli {

struct Job
{
    QString source;  // kStandardStream: standard input
    QString output;  // kStandardStream: standard output
    QString preview; // empty: none
    // When not empty, the job is not run and this is its error line.
    QString refusal;
    // The bytes are kept for one C source of several pictures, written once all are in.
    bool collected = false;
};

struct Plan
{
    std::vector<Job> jobs; // in the order the pictures were given
    QString usageError;    // when not empty, nothing is to be run
    // C source of several pictures into the one file -o names: the jobs convert, and the
    // source is written once all are in.
    bool oneSource = false;
};

Plan planJobs(const Options &options);

} // namespace cli
