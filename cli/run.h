// Carrying out a plan: each job loads, shapes, converts and writes one picture (or each frame
// of an animation, or turns one BIN file back into a picture), several jobs at a time, with
// the outcomes reported in the order of the pictures whatever order they finish in.
#pragma once

#include "options.h"
#include "plan.h"

#include "core/conversion.h"
#include "core/geometry.h"

#include <filesystem>
#include <functional>
#include <string>
#include <vector>

namespace cli {

// One file a job wrote, or in a dry run would have written.
struct Made
{
    enum class Kind
    {
        Bin,
        CSource,
        CHeader,
        Preview, // what the display unit shows, as a bitmap
        Bitmap,  // a BIN file turned back into a picture
    };

    std::filesystem::path path; // "-" for standard output
    Kind kind = Kind::Bin;
    core::Size size;         // of the picture in it
    std::uint64_t bytes = 0; // of the BIN data it holds; none in a header
};

// A picture kept for one C source of several.
struct Collected
{
    std::string symbol;
    std::string pictureName;
    core::Size size;
    core::BinBuffer bin;
};

struct Outcome
{
    std::string error; // the error line; empty when the job succeeded
    std::string note;  // a remark for standard error (an animation's other frames)
    std::vector<Made> made;
    core::Size size; // of the converted picture
    int frames = 0;  // converted
    // For one C source of several pictures: the picture's (or its frames') bytes, kept until
    // all are in.
    std::vector<Collected> collected;
};

// One job. `bin` is the worker's buffer, kept from job to job so that a run of many pictures
// does not pay for fresh memory each time.
Outcome runJob(const Job &job, const Options &options, core::BinBuffer &bin);

// Called on the thread that runs the plan, once a job, in the jobs' order; the outcome is the
// caller's to keep.
using Report = std::function<void(std::size_t index, Outcome &outcome)>;

// Runs every job, options.jobs at a time, and returns how many failed.
std::size_t runPlan(const std::vector<Job> &jobs, const Options &options, const Report &report);

// The C source and header of several pictures, once their jobs are done: the error line, or
// an empty string. `outcomes` are the jobs' in order; failed ones add nothing to the source.
std::string writeOneSource(const Plan &plan, const Options &options,
                           std::vector<Outcome> &outcomes);

} // namespace cli
