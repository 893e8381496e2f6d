// Carrying out a plan: each job loads, shapes, converts and writes one picture (or turns one
// BIN file back into a picture), several jobs at a time, with the outcomes reported in the
// order of the pictures whatever order they finish in.
#pragma once

#include "options.h"
#include "plan.h"

#include "core/conversion.h"

#include <QString>

#include <functional>
#include <vector>

namespace cli {

// One job. `bin` is the worker's buffer, kept from job to job so that a run of many pictures
// does not pay for fresh memory each time. Returns the error line, or an empty string.
QString runJob(const Job &job, const Options &options, core::BinBuffer &bin);

// Called on the thread that runs the plan, once a job, in the jobs' order. `error` is empty
// when the job succeeded.
using Outcome = std::function<void(std::size_t index, const QString &error)>;

// Runs every job, options.jobs at a time, and returns how many failed.
std::size_t runPlan(const std::vector<Job> &jobs, const Options &options, const Outcome &outcome);

} // namespace cli
