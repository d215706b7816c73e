#include "FileIO.h"

#include <stdexcept>
#include "Win32Error.h"

#include <windows.h>

namespace qm::fileio {

namespace {

std::string systemMessage(DWORD err)
{
    std::string msg = Win32ErrorText(err);
    return msg.empty() ? "error " + std::to_string(err) : msg;
}

std::runtime_error systemError(const std::string& path, DWORD err)
{
    return std::runtime_error(path + ": " + systemMessage(err));
}

// Closes on every path out, so a failure never leaves a file open.
struct Handle {
    HANDLE h;
    ~Handle() { if (h != INVALID_HANDLE_VALUE) CloseHandle(h); }
};

void writeFileFlushed(const std::string& path, const std::string& bytes)
{
    Handle f{CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr)};
    if (f.h == INVALID_HANDLE_VALUE)
        throw systemError(path, GetLastError());
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
}

} // namespace

std::string readAll(const std::string& path)
{
    Handle f{CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                         FILE_ATTRIBUTE_NORMAL, nullptr)};
    if (f.h == INVALID_HANDLE_VALUE)
        throw systemError(path, GetLastError());
    std::string out;
    char buf[65536];
    for (;;) {
        DWORD n = 0;
        if (!ReadFile(f.h, buf, sizeof buf, &n, nullptr))
            throw systemError(path, GetLastError());
        if (n == 0)
            break;
        out.append(buf, n);
    }
    return out;
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

void replaceAll(const std::vector<Replacement>& files)
{
    std::vector<std::string> temps;
    auto discard = [&] { for (const auto& t : temps) DeleteFileA(t.c_str()); };
    try {
        for (const auto& f : files) {
            temps.push_back(f.path + ".tmp");
            writeFileFlushed(temps.back(), f.bytes);
        }
    } catch (const std::runtime_error&) {
        discard();
        throw;
    }
    for (size_t i = 0; i < files.size(); ++i) {
        if (!MoveFileExA(temps[i].c_str(), files[i].path.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
            DWORD err = GetLastError();
            for (size_t j = i; j < temps.size(); ++j)
                DeleteFileA(temps[j].c_str());
            throw systemError(files[i].path, err);
        }
    }
}

std::string joinPath(const std::string& dir, const std::string& name)
{
    return dir + "\\" + name;
}

} // namespace qm::fileio
