#include "StoreLock.h"

#include "FileIO.h"
#include "StoreFiles.h"

#include <cerrno>
#include <cstdint>
#include <cstring>
#include <fcntl.h>
#include <sys/file.h>
#include <thread>
#include <unistd.h>

namespace qm {

namespace {

// The handle slot holds the descriptor plus one, so that null means none.
void* toHandle(int fd) { return reinterpret_cast<void*>(static_cast<intptr_t>(fd) + 1); }
int toFd(void* handle) { return static_cast<int>(reinterpret_cast<intptr_t>(handle) - 1); }

constexpr std::chrono::milliseconds kPoll{20};

} // namespace

StoreLock::StoreLock(const std::string& storeDirectory, Mode mode, std::chrono::milliseconds wait)
    : path_(fileio::joinPath(storeDirectory, kStoreLockName))
{
    // O_NOFOLLOW: a link planted under the lock's name is not followed to
    // create or open some other file. Close-on-exec: a program started from
    // here must not keep the store locked after this one has ended.
    const int fd = ::open(path_.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK, 0644);
    if (fd < 0) {
        const int err = errno;
        if (mode == Mode::Shared && (err == EROFS || err == EACCES || err == EPERM))
            return;
        throw StoreError(path_, std::strerror(err));
    }
    const int operation = (mode == Mode::Exclusive ? LOCK_EX : LOCK_SH) | LOCK_NB;
    const auto giveUp = std::chrono::steady_clock::now() + wait;
    while (::flock(fd, operation) != 0) {
        const int err = errno;
        if (err == EINTR)
            continue;
        if (err != EWOULDBLOCK || std::chrono::steady_clock::now() >= giveUp) {
            ::close(fd);
            throw StoreError(path_, err == EWOULDBLOCK ? BusyReason(mode == Mode::Exclusive) : std::strerror(err));
        }
        std::this_thread::sleep_for(kPoll);
    }
    handle_ = toHandle(fd);
}

StoreLock::~StoreLock()
{
    if (handle_)
        ::close(toFd(handle_)); // closing the last descriptor releases the lock
}

} // namespace qm
