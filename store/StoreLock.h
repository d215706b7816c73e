#pragma once
// An advisory lock on the store folder, so that no two writers ever
// interleave their files, whatever started them: a second copy of the
// program, a script, a helper. It lives in a lock file of its own beside the
// store files, never in a store file, so holding it changes no stored byte.
//
// Writers take it exclusively for the whole of a save; readers take it shared,
// so that they never see one save's words.txt with another's dirs.txt. The
// lock is the system's (flock on Linux, LockFileEx on Windows): it goes with
// the process, also when the process is killed. It is not re-entrant: a
// second StoreLock on the same folder in the same process waits for the first
// as another program's would, so take it once, around the outermost step.
#include <chrono>
#include <string>

namespace qm {

inline constexpr const char* kStoreLockName = "quillmere.lock";

// How long a save waits for another writer before it gives up and says so.
inline constexpr std::chrono::milliseconds kStoreLockWait{3000};

class StoreLock {
public:
    enum class Mode { Shared, Exclusive };

    // Waits up to `wait` for the lock on `storeDirectory`. When it cannot be
    // had, throws StoreError naming the lock file and saying that another
    // program holds the store, or why the lock file cannot be opened. A
    // shared lock in a folder where no lock file can be made (read-only
    // media) goes ahead unlocked: nothing can write there either.
    StoreLock(const std::string& storeDirectory, Mode mode, std::chrono::milliseconds wait = kStoreLockWait);
    ~StoreLock();
    StoreLock(const StoreLock&) = delete;
    StoreLock& operator=(const StoreLock&) = delete;

    const std::string& path() const { return path_; }

private:
    std::string path_;
    void* handle_ = nullptr; // the platform's handle of the open lock file
};

// What the StoreError says when another program holds the lock too long.
std::string BusyReason(bool writing);

} // namespace qm
