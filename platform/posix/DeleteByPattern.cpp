#include "DeleteByPattern.h"

#include <cerrno>
#include <cstring>
#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace qm {

bool WildcardMatch(const char* p, const char* s)
{
    // Iterative match with one backtrack point: linear for ordinary patterns.
    const char* star = nullptr;
    const char* resume = nullptr;
    while (*s) {
        if (*p == '?' || *p == *s) {
            ++p;
            ++s;
        } else if (*p == '*') {
            star = p++;
            resume = s;
        } else if (star) {
            p = star + 1;
            s = ++resume;
        } else {
            return false;
        }
    }
    while (*p == '*')
        ++p;
    return *p == '\0';
}

DeleteOutcome DeleteFilesByPattern(const std::string& pattern)
{
    DeleteOutcome out;
    if (pattern.empty()) {
        out.error = "no file name was given";
        return out;
    }
    auto slash = pattern.rfind('/');
    std::string dir = slash == std::string::npos ? "." : (slash == 0 ? "/" : pattern.substr(0, slash));
    std::string name = slash == std::string::npos ? pattern : pattern.substr(slash + 1);
    std::string prefix = slash == std::string::npos ? "" : pattern.substr(0, slash + 1);
    if (name.empty()) {
        out.error = pattern + ": no file name was given";
        return out;
    }

    std::vector<std::string> matches;
    if (name.find_first_of("*?") == std::string::npos) {
        matches.push_back(pattern);
    } else {
        DIR* d = ::opendir(dir.c_str());
        if (!d) {
            out.error = dir + ": " + std::strerror(errno);
            return out;
        }
        while (dirent* e = ::readdir(d)) {
            if (std::strcmp(e->d_name, ".") == 0 || std::strcmp(e->d_name, "..") == 0)
                continue;
            if (WildcardMatch(name.c_str(), e->d_name))
                matches.push_back(prefix + e->d_name);
        }
        ::closedir(d);
    }

    int files = 0;
    for (const auto& path : matches) {
        struct stat st {};
        if (::lstat(path.c_str(), &st) != 0 || S_ISDIR(st.st_mode))
            continue;
        ++files;
        if (::unlink(path.c_str()) == 0)
            ++out.deleted;
        else if (out.error.empty())
            out.error = path + ": " + std::strerror(errno);
    }
    if (files == 0)
        out.error = pattern + ": no file matches";
    return out;
}

} // namespace qm
