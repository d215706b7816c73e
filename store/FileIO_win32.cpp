#include "FileIO.h"

#include "Win32Error.h"

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <random>

#include <windows.h>

namespace qm::fileio {

namespace {

std::string systemMessage(DWORD err)
{
    std::string msg = Win32ErrorText(err);
    return msg.empty() ? "error " + std::to_string(err) : msg;
}

Error systemError(const std::string& path, DWORD err) { return Error(path, systemMessage(err)); }

// Closes on every path out, so a failure never leaves a file open.
struct Handle {
    HANDLE h;
    ~Handle() { if (h != INVALID_HANDLE_VALUE) CloseHandle(h); }
};

Stamp stampFrom(const BY_HANDLE_FILE_INFORMATION& info)
{
    Stamp s;
    s.exists = true;
    s.size = (static_cast<uint64_t>(info.nFileSizeHigh) << 32) | info.nFileSizeLow;
    s.modified = static_cast<int64_t>((static_cast<uint64_t>(info.ftLastWriteTime.dwHighDateTime) << 32) |
                                      info.ftLastWriteTime.dwLowDateTime);
    s.fileId = (static_cast<uint64_t>(info.nFileIndexHigh) << 32) | info.nFileIndexLow;
    s.volume = info.dwVolumeSerialNumber;
    return s;
}

std::string tooLarge(uint64_t limit)
{
    return "is larger than " + std::to_string(limit >> 20) + " MiB, too large for a word list";
}

} // namespace

ReadResult readRegular(const std::string& path, uint64_t limit)
{
    Handle f{CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                         OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr)};
    if (f.h == INVALID_HANDLE_VALUE)
        throw systemError(path, GetLastError());
    if (GetFileType(f.h) != FILE_TYPE_DISK)
        throw Error(path, "is a device or a pipe, not a regular file");
    BY_HANDLE_FILE_INFORMATION info{};
    if (!GetFileInformationByHandle(f.h, &info))
        throw systemError(path, GetLastError());
    if (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
        throw systemError(path, ERROR_DIRECTORY);
    ReadResult r;
    r.stamp = stampFrom(info);
    if (r.stamp.size > limit)
        throw Error(path, tooLarge(limit));
    char buf[65536];
    for (;;) {
        DWORD n = 0;
        if (!ReadFile(f.h, buf, sizeof buf, &n, nullptr))
            throw systemError(path, GetLastError());
        if (n == 0)
            break;
        r.bytes.append(buf, n);
        if (r.bytes.size() > limit)
            throw Error(path, tooLarge(limit));
    }
    return r;
}

Stamp stampOf(const std::string& path)
{
    Handle f{CreateFileA(path.c_str(), FILE_READ_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                         nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr)};
    if (f.h == INVALID_HANDLE_VALUE)
        return {};
    BY_HANDLE_FILE_INFORMATION info{};
    if (!GetFileInformationByHandle(f.h, &info))
        return {};
    return stampFrom(info);
}

void createIfMissing(const std::string& path)
{
    // CREATE_NEW never touches an existing file, hidden or system ones included.
    Handle f{CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr)};
    if (f.h != INVALID_HANDLE_VALUE)
        return;
    DWORD err = GetLastError();
    if (err == ERROR_FILE_EXISTS || err == ERROR_ALREADY_EXISTS) {
        DWORD attrs = GetFileAttributesA(path.c_str());
        if (attrs != INVALID_FILE_ATTRIBUTES && (attrs & FILE_ATTRIBUTE_DIRECTORY))
            throw systemError(path, ERROR_DIRECTORY);
        return;
    }
    throw systemError(path, err);
}

bool keepAs(const std::string& path, const std::string& backup)
{
    if (CopyFileA(path.c_str(), backup.c_str(), TRUE))
        return true;
    DWORD err = GetLastError();
    if (err == ERROR_FILE_EXISTS || err == ERROR_ALREADY_EXISTS)
        return false;
    throw systemError(path, err);
}

std::string joinPath(const std::string& dir, const std::string& name)
{
    return dir + "\\" + name;
}

namespace sys {

std::string uniqueSuffix()
{
    static std::atomic<unsigned> counter{0};
    std::random_device rd;
    LARGE_INTEGER now{};
    QueryPerformanceCounter(&now);
    uint64_t v = (static_cast<uint64_t>(rd()) << 32) ^ rd() ^ (static_cast<uint64_t>(GetCurrentProcessId()) << 16) ^
                 static_cast<uint64_t>(now.QuadPart) ^ ++counter;
    char buf[17];
    std::snprintf(buf, sizeof buf, "%016llx", static_cast<unsigned long long>(v));
    return buf;
}

std::string resolveTarget(const std::string& path) { return path; }

void writeNew(const std::string& path, const std::string& bytes)
{
    // CREATE_NEW fails on any existing name, so nothing planted is written through.
    Handle f{CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr)};
    if (f.h == INVALID_HANDLE_VALUE)
        throw systemError(path, GetLastError());
    try {
        size_t done = 0;
        while (done < bytes.size()) {
            DWORD chunk = static_cast<DWORD>(std::min<size_t>(bytes.size() - done, 1u << 20));
            DWORD written = 0;
            if (!WriteFile(f.h, bytes.data() + done, chunk, &written, nullptr))
                throw systemError(path, GetLastError());
            done += written;
        }
        if (!FlushFileBuffers(f.h))
            throw systemError(path, GetLastError());
        HANDLE h = f.h;
        f.h = INVALID_HANDLE_VALUE;
        if (!CloseHandle(h))
            throw systemError(path, GetLastError());
    } catch (const Error&) {
        if (f.h != INVALID_HANDLE_VALUE) {
            CloseHandle(f.h);
            f.h = INVALID_HANDLE_VALUE;
        }
        DeleteFileA(path.c_str());
        throw;
    }
}

bool exists(const std::string& path) { return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

void replace(const std::string& temp, const std::string& final, const std::string& keep)
{
    if (!exists(final)) {
        if (!MoveFileExA(temp.c_str(), final.c_str(), MOVEFILE_WRITE_THROUGH))
            throw systemError(final, GetLastError());
        return;
    }
    // The replaced file's attributes, security and streams carry over to the
    // new one, and the old one is kept under the keep name for a roll-back.
    const DWORD attrs = GetFileAttributesA(final.c_str());
    if (!ReplaceFileA(final.c_str(), temp.c_str(), keep.c_str(), REPLACEFILE_IGNORE_MERGE_ERRORS, nullptr, nullptr))
        throw systemError(final, GetLastError());
    // Not every implementation carries the attributes over; the save does not
    // fail for that, the bytes are in place.
    if (attrs != INVALID_FILE_ATTRIBUTES && GetFileAttributesA(final.c_str()) != attrs)
        SetFileAttributesA(final.c_str(), attrs);
}

void restore(const std::string& keep, const std::string& final)
{
    if (!MoveFileExA(keep.c_str(), final.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
        throw systemError(final, GetLastError());
}

void remove(const std::string& path)
{
    if (!DeleteFileA(path.c_str())) {
        DWORD err = GetLastError();
        if (err != ERROR_FILE_NOT_FOUND && err != ERROR_PATH_NOT_FOUND)
            throw systemError(path, err);
    }
}

// Renames are written through; the folder needs no flush of its own.
void syncFolder(const std::string&) {}

std::string folderOf(const std::string& path)
{
    auto slash = path.find_last_of("\\/");
    return slash == std::string::npos ? std::string(".") : path.substr(0, slash);
}

std::vector<std::string> namesIn(const std::string& folder)
{
    std::vector<std::string> names;
    WIN32_FIND_DATAA data{};
    HANDLE h = FindFirstFileA(joinPath(folder, "*").c_str(), &data);
    if (h == INVALID_HANDLE_VALUE)
        return names;
    do
        names.emplace_back(data.cFileName);
    while (FindNextFileA(h, &data));
    FindClose(h);
    return names;
}

} // namespace sys

} // namespace qm::fileio
