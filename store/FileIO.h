#pragma once
// The few file operations the store needs, on narrow paths in the platform's
// own encoding (the ANSI code page on Windows, UTF-8 bytes on Linux).
#include <cstdint>
#include <functional>
#include <stdexcept>
#include <string>
#include <vector>

namespace qm::fileio {

// Every failure names the file once and carries the system's own reason.
class Error : public std::runtime_error {
public:
    Error(std::string path, std::string reason)
        : std::runtime_error(path + ": " + reason), path_(std::move(path)), reason_(std::move(reason)) {}
    const std::string& path() const { return path_; }
    const std::string& reason() const { return reason_; }

private:
    std::string path_;
    std::string reason_;
};

// What tells one version of a file from the next without reading it: a hand
// edit, a sync tool or another program's save changes at least one of these.
struct Stamp {
    bool exists = false;
    uint64_t size = 0;
    int64_t modified = 0; // nanoseconds on Linux, 100 ns units on Windows
    uint64_t fileId = 0;  // inode or file index
    uint64_t volume = 0;  // device or volume serial number
    bool operator==(const Stamp&) const = default;
};

// Larger than any table the lists can hold (32,767 entries of long paths),
// small enough that a device or a runaway file cannot eat the memory.
inline constexpr uint64_t kMaxStoreFileBytes = 16u << 20;

struct ReadResult {
    std::string bytes;
    Stamp stamp; // of the very file the bytes came from
};

// Reads a regular file whole. A folder, a pipe, a device or a file larger
// than the limit is refused with a reason, and never blocks.
ReadResult readRegular(const std::string& path, uint64_t limit = kMaxStoreFileBytes);

// The stamp of what the path names now (following a symbolic link); a
// missing file gives a stamp that does not exist.
Stamp stampOf(const std::string& path);

// Creates an empty file unless something of that name exists already. Never
// truncates: an existing file, hidden or not, is left as it is.
void createIfMissing(const std::string& path);

// Keeps the file that path names now under the name backup, which must not
// exist yet; false, with nothing made, when it does. The original stays.
bool keepAs(const std::string& path, const std::string& backup);

struct Replacement {
    std::string path;
    std::string bytes;
};

// Where a failed switch left the files.
enum class Outcome {
    Unchanged,  // every file holds what it held before
    RolledBack, // some were replaced and then put back: every file is old again
    Unfinished, // cut off and could not be undone; the next start finishes it
};

class SwitchError : public Error {
public:
    SwitchError(const Error& e, Outcome outcome) : Error(e), outcome_(outcome) {}
    Outcome outcome() const { return outcome_; }

private:
    Outcome outcome_;
};

// Gives every file its new bytes, or none of them, even if the process dies
// at any moment: the new bytes go to fresh temporary files first, then a
// journal in journalFolder names the renames, then the renames run. A failure
// during them puts the old files back. Throws SwitchError.
void replaceAll(const std::string& journalFolder, const std::vector<Replacement>& files);

// Finishes or undoes a switch that a journal in journalFolder shows was cut
// off, and removes temporary files that a cut-off save left behind. Run at
// start-up, before the files are read.
void recoverSwitch(const std::string& journalFolder, const std::vector<std::string>& paths);

std::string joinPath(const std::string& dir, const std::string& name);

// A fault seam for tests: called before each step that changes the disk, with
// the step and the file; a non-empty answer makes that step fail with it as
// the reason. Empty (no hook) in the program.
enum class Step { WriteTemp, WriteJournal, Replace, Restore };
using FaultHook = std::function<std::string(Step, const std::string& path)>;
void setFaultHook(FaultHook hook);

// ---------------------------------------------------------------- per desktop
// The primitives the switch is made of; each throws Error.
namespace sys {
std::string uniqueSuffix();
// Where the bytes of path really live: a symbolic link's final target on
// Linux, so that the link stays a link; the path itself on Windows.
std::string resolveTarget(const std::string& path);
// Creates path, which must not exist and is never followed as a link, writes
// the bytes and flushes them to the disk.
void writeNew(const std::string& path, const std::string& bytes);
bool exists(const std::string& path);
// final takes temp's bytes; the old final file, if any, is kept as keep.
// The replaced file's attributes and security stay where the system allows.
void replace(const std::string& temp, const std::string& final, const std::string& keep);
// Puts a kept file back in place of final.
void restore(const std::string& keep, const std::string& final);
void remove(const std::string& path); // a missing file is no failure
void syncFolder(const std::string& folder);
std::string folderOf(const std::string& path);
// The names in a folder, for the clean-up of left-over temporary files.
std::vector<std::string> namesIn(const std::string& folder);
} // namespace sys

} // namespace qm::fileio
