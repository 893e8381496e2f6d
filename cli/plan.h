// Every file each picture will write, decided for the whole run before anything is converted:
// the BIN file or the C source and its header, each frame's file, the preview. Each is checked
// against every picture of the run and every other output, so that two pictures never race
// for one file and no output replaces a picture of the run.
#pragma once

#include "options.h"

#include <filesystem>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <utility>
#include <vector>

namespace cli {

// anim.BIN numbered 2 is anim-002.BIN: the frame's number before the last dot of the name.
std::filesystem::path numbered(const std::filesystem::path &path, int number);

// What the plan knows of the run's files once it is made, for the outputs that are named only
// while the run goes: each frame's, whose number is known when it is decoded. A numbered name
// is checked again then, through the links it may turn out to be.
class Claims
{
public:
    // The names numbered() makes of one name: its identity cut where the number goes.
    struct Family
    {
        std::string before; // up to and with the "-"
        std::string after;  // from the last dot of the file's name on

        bool operator==(const Family &) const = default;
        static Family of(const std::filesystem::path &path);
        // Whether numbered() makes the file of identity `id` for some frame.
        bool holds(const std::string &id) const;
    };

    // Why the job `job`, converting `source`, must not write `path` (a picture of the run, or
    // another job's output), as the error line's reason; empty when it may.
    std::string clash(std::size_t job, const std::filesystem::path &source,
                      const std::filesystem::path &path) const;
    // The same for every name numbered() makes of `path`: the reason, and the name that
    // clashes.
    std::pair<std::string, std::filesystem::path>
    clashOfNumbered(std::size_t job, const std::filesystem::path &path) const;
    // `path` (each name numbered() makes of it, when `numbered`) is the job's.
    void claim(std::size_t job, const std::filesystem::path &source,
               const std::filesystem::path &path, bool numbered);
    void addSource(const std::filesystem::path &picture);

private:
    std::vector<std::string> identities(const std::filesystem::path &path) const;

    struct Claim
    {
        std::size_t job;
        std::filesystem::path picture;
        std::filesystem::path path; // as the plan spells it
    };
    std::map<std::string, std::filesystem::path> m_sources; // identity -> the picture as given
    std::map<std::string, Claim> m_claimed;
    std::vector<std::pair<Family, Claim>> m_families;
    mutable std::mutex m_foldersLock;
    // A folder as given -> its real name; empty when that cannot be found.
    mutable std::map<std::filesystem::path, std::filesystem::path> m_folders;
};

struct Job
{
    std::size_t index = 0;         // in the order the pictures were given
    std::filesystem::path source;  // "-": standard input
    std::filesystem::path output;  // "-": standard output
    std::filesystem::path preview; // empty: none
    std::filesystem::path header;  // the C source's header; empty when there is none
    // With --frames each of output, header and preview is a name that each frame's number is
    // put into (numbered()).
    bool numbered = false;
    // When not empty, the job is not run and this is its error line.
    std::string refusal;
    // The bytes are kept for one C source of several pictures, written once all are in.
    bool collected = false;
    // For numbered names, checked as each frame is written.
    std::shared_ptr<const Claims> claims;
};

struct Plan
{
    std::vector<Job> jobs;  // in the order the pictures were given
    std::string usageError; // when not empty, nothing is to be run
    // C source of several pictures into the one file -o names: the jobs convert, and the
    // source is written once all are in.
    bool oneSource = false;
    std::filesystem::path oneHeader; // that source's header, when it has one
};

Plan planJobs(const Options &options);

// A path in one spelling for comparing: made absolute, "." and ".." resolved, letters in one
// case (ASCII, Latin, Greek, Cyrillic and full-width Latin), as a memory card's FAT takes
// photo.BIN and PHOTO.BIN for one file.
std::string identity(const std::filesystem::path &path);

} // namespace cli
