// The one way every output of the program reaches the disk (BIN files, preview bitmaps, C
// source, pictures made from BIN files; the window's saves and the command line's), decided by
// what the target is:
// - nothing yet, or a regular file: written whole beside it and put in its place only when
//   complete, so that a failure leaves the old file as it was and a reader never sees half;
// - a symbolic link: its final target is written that way, and the link stays a link;
// - a character device or a pipe (/dev/null, a FIFO a program reads): written into as it is,
//   never replaced, never truncated;
// - a folder, a socket, a block device or anything else: refused with the reason.
#pragma once

#include "core/bytes.h"
#include "core/error.h"

#include <filesystem>

namespace core {

// Whether a write waits until the bytes are on the disk. Either way the target is replaced
// whole or not at all while the system runs; only Synced also survives a power cut. A sync can
// cost more than converting the picture, so a command-line run over many files, which can
// simply be run again, does without unless asked.
enum class Durability
{
    Synced,
    Unsynced,
};

struct WriteOptions
{
    Durability durability = Durability::Synced;
    // A pipe that no program reads yet: wait for one (a command line, whose user starts the
    // reader), or refuse at once (a window, which must not hang).
    bool waitForReader = true;
};

// What a path names, links followed.
enum class FileKind
{
    Missing,
    Regular,
    Folder,
    CharacterDevice,
    Pipe,
    Other, // a socket, a block device
};

FileKind fileKind(const std::filesystem::path &path);

// Writes all of `bytes` to `path` as the target's kind asks. Failures are CannotWrite errors
// whose subject is `path`, with the reason in the program's words.
Expected<void> writeFile(const std::filesystem::path &path, ByteView bytes,
                         const WriteOptions &options = {});

// Writes all of `bytes` to the process's standard output. A standard output that is closed or
// cannot be written is an error, never a reason to write elsewhere.
Expected<void> writeStandardOutput(ByteView bytes);

// Whether the process started with standard output open. Called before anything else opens a
// file, it also keeps the slot taken, so that no file the program opens later takes its place
// and receives what was meant for standard output.
bool claimStandardStreams();

// Removes the named temporary files of every write at work in the process, however many.
// Safe in a signal handler: it only unlinks names made ready beforehand.
void removeTemporaryFiles() noexcept;

} // namespace core
