// Carrying out a plan: each job loads, converts and writes one picture, several jobs at a
// time, with the outcomes reported in the order of the pictures whatever order they finish in.
#pragma once

#include "plan.h"

#include "core/bin_file.h"
#include "core/conversion.h"

#include <QSize>
#include <QString>

#include <functional>
#include <optional>
#include <vector>

namespace cli {

struct RunSettings
{
    int jobs = 1;
    std::optional<QSize> maxSize;
    core::Durability durability = core::Durability::Unsynced;
};

// One job. `bin` is the worker's buffer, kept from job to job so that a run of many pictures
// does not pay for fresh memory each time. Returns the error line, or an empty string.
QString runJob(const Job &job, const RunSettings &settings, core::BinBuffer &bin);

// Called on the thread that runs the plan, once a job, in the jobs' order. `error` is empty
// when the job succeeded.
using Outcome = std::function<void(std::size_t index, const QString &error)>;

// Runs every job, settings.jobs at a time, and returns how many failed.
std::size_t runPlan(const std::vector<Job> &jobs, const RunSettings &settings,
                    const Outcome &outcome);

} // namespace cli
