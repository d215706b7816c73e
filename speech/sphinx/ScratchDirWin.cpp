#include "ScratchDir.h"

#include <windows.h>

#include <string>
#include <vector>

namespace qm::sphinx {

// The user's own Temp folder: other users cannot enter it.
std::string ScratchDir::makeFolder(const std::string& prefix) {
    char tmp[MAX_PATH + 1];
    const DWORD n = GetTempPathA(sizeof tmp, tmp);
    if (n == 0 || n > MAX_PATH) return {};
    // The engine opens files by narrow name: a temporary folder that the
    // ANSI code page cannot spell exactly is refused.
    if (GetFileAttributesA(tmp) == INVALID_FILE_ATTRIBUTES) return {};
    const std::string base = std::string(tmp) + prefix + "-" + std::to_string(GetCurrentProcessId()) + "-";
    for (unsigned k = GetTickCount(), tries = 0; tries < 100; ++k, ++tries) {
        const std::string dir = base + std::to_string(k % 100000);
        if (CreateDirectoryA(dir.c_str(), nullptr)) {
            std::string path = dir;
            for (char& c : path)
                if (c == '\\') c = '/';
            return path;
        }
        if (GetLastError() != ERROR_ALREADY_EXISTS) return {};
    }
    return {};
}

bool ScratchDir::ensure() {
    if (path_.empty()) return false;
    const DWORD at = GetFileAttributesA(path_.c_str());
    // A junction standing at the name would lead the engine's files
    // elsewhere.
    if (at != INVALID_FILE_ATTRIBUTES)
        return (at & FILE_ATTRIBUTE_DIRECTORY) && !(at & FILE_ATTRIBUTE_REPARSE_POINT);
    return CreateDirectoryA(path_.c_str(), nullptr) != 0;
}

void ScratchDir::clear() {
    if (path_.empty()) return;
    // Never through a junction that took the folder's place.
    const DWORD at = GetFileAttributesA(path_.c_str());
    if (at == INVALID_FILE_ATTRIBUTES || (at & FILE_ATTRIBUTE_REPARSE_POINT)) return;
    WIN32_FIND_DATAA found;
    HANDLE h = FindFirstFileA((path_ + "/*").c_str(), &found);
    if (h == INVALID_HANDLE_VALUE) return;
    std::vector<std::string> names;
    do {
        if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) names.emplace_back(found.cFileName);
    } while (FindNextFileA(h, &found));
    FindClose(h);
    for (const auto& n : names) DeleteFileA((path_ + "/" + n).c_str());
}

void ScratchDir::removeFolder() {
    clear();
    RemoveDirectoryA(path_.c_str());
}

}  // namespace qm::sphinx
