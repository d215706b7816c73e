#include "StoreLock.h"

#include "FileIO.h"
#include "StoreFiles.h"
#include "Win32Error.h"

#include <windows.h>

namespace qm {

namespace {

constexpr DWORD kPollMs = 20;

std::string reason(DWORD err)
{
    std::string text = Win32ErrorText(err);
    return text.empty() ? "error " + std::to_string(err) : text;
}

} // namespace

StoreLock::StoreLock(const std::string& storeDirectory, Mode mode, std::chrono::milliseconds wait)
    : path_(fileio::joinPath(storeDirectory, kStoreLockName))
{
    // Every sharing mode is allowed: the lock is the byte range below, not
    // the file's sharing, so other copies can open it and wait their turn.
    HANDLE h = CreateFileA(path_.c_str(), GENERIC_READ | GENERIC_WRITE,
                           FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_ALWAYS,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) {
        const DWORD err = GetLastError();
        if (mode == Mode::Shared && (err == ERROR_ACCESS_DENIED || err == ERROR_WRITE_PROTECT))
            return;
        throw StoreError(path_, reason(err));
    }
    const DWORD flags = LOCKFILE_FAIL_IMMEDIATELY | (mode == Mode::Exclusive ? LOCKFILE_EXCLUSIVE_LOCK : 0);
    const auto giveUp = std::chrono::steady_clock::now() + wait;
    for (;;) {
        OVERLAPPED at{};
        if (LockFileEx(h, flags, 0, 1, 0, &at))
            break;
        const DWORD err = GetLastError();
        if (err != ERROR_LOCK_VIOLATION || std::chrono::steady_clock::now() >= giveUp) {
            CloseHandle(h);
            throw StoreError(path_, err == ERROR_LOCK_VIOLATION ? BusyReason(mode == Mode::Exclusive) : reason(err));
        }
        Sleep(kPollMs);
    }
    handle_ = h;
}

StoreLock::~StoreLock()
{
    if (handle_)
        CloseHandle(static_cast<HANDLE>(handle_)); // closing the handle releases its locks
}

} // namespace qm
