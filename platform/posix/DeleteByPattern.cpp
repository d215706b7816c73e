#include "DeleteByPattern.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace qm {

namespace {

// Length of the UTF-8 character at s: 1 for an ASCII byte and for any byte
// that does not start a well-formed sequence, so every byte is reached.
size_t charLength(const char* s)
{
    const auto lead = static_cast<unsigned char>(s[0]);
    size_t n = lead < 0x80 ? 1 : (lead & 0xE0) == 0xC0 ? 2 : (lead & 0xF0) == 0xE0 ? 3 : (lead & 0xF8) == 0xF0 ? 4 : 1;
    for (size_t i = 1; i < n; ++i)
        if ((static_cast<unsigned char>(s[i]) & 0xC0) != 0x80)
            return 1;
    return n;
}

class Fd {
public:
    explicit Fd(int fd) : fd_(fd) {}
    ~Fd()
    {
        if (fd_ >= 0)
            ::close(fd_);
    }
    Fd(const Fd&) = delete;
    Fd& operator=(const Fd&) = delete;
    int get() const { return fd_; }

private:
    int fd_;
};

std::string reason(int err) { return std::strerror(err); }

} // namespace

bool WildcardMatch(const char* p, const char* s)
{
    // Iterative match with one backtrack point: linear for ordinary patterns.
    // A "*" in the pattern is always a wildcard, also where the name holds a
    // "*" at the same place.
    const char* star = nullptr;
    const char* resume = nullptr;
    while (*s) {
        if (*p == '*') {
            star = p++;
            resume = s;
        } else if (*p == '?') {
            ++p;
            s += charLength(s);
        } else if (*p == *s) {
            ++p;
            ++s;
        } else if (star) {
            p = star + 1;
            resume += charLength(resume);
            s = resume;
        } else {
            return false;
        }
    }
    while (*p == '*')
        ++p;
    return *p == '\0';
}

std::string HomeFolder()
{
    if (const char* home = std::getenv("HOME"); home && *home == '/')
        return home;
    if (const passwd* pw = ::getpwuid(::getuid()); pw && pw->pw_dir)
        return pw->pw_dir;
    return "/";
}

DeleteOutcome DeleteFilesByPattern(const std::string& pattern) { return DeleteFilesByPattern(pattern, HomeFolder()); }

DeleteOutcome DeleteFilesByPattern(const std::string& pattern, const std::string& relativeTo)
{
    DeleteOutcome out;
    if (pattern.empty()) {
        out.error = "no file name was given";
        return out;
    }
    const auto slash = pattern.rfind('/');
    const std::string name = slash == std::string::npos ? pattern : pattern.substr(slash + 1);
    if (name.empty()) {
        out.error = pattern + ": no file name was given";
        return out;
    }
    std::string dir = slash == std::string::npos ? "" : (slash == 0 ? "/" : pattern.substr(0, slash));
    if (dir.empty() || dir[0] != '/')
        dir = relativeTo + (dir.empty() ? "" : "/" + dir);

    // Listing, checking and unlinking all go through this one handle, so the
    // folder cannot be swapped for another one half-way.
    Fd folder(::open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (folder.get() < 0) {
        out.error = dir + ": " + reason(errno);
        return out;
    }

    std::vector<std::string> matches;
    if (name.find_first_of("*?") == std::string::npos) {
        matches.push_back(name);
    } else {
        DIR* d = ::fdopendir(::dup(folder.get()));
        if (!d) {
            out.error = dir + ": " + reason(errno);
            return out;
        }
        const bool dotNames = name[0] == '.';
        while (dirent* e = ::readdir(d)) {
            if (std::strcmp(e->d_name, ".") == 0 || std::strcmp(e->d_name, "..") == 0)
                continue;
            if (e->d_name[0] == '.' && !dotNames)
                continue;
            if (WildcardMatch(name.c_str(), e->d_name))
                matches.emplace_back(e->d_name);
        }
        ::closedir(d);
    }

    int files = 0;
    for (const auto& entry : matches) {
        // A link is looked at, not followed: deleting "*" must not reach
        // through a link, and a link itself is not a file the user named.
        struct stat st {};
        if (::fstatat(folder.get(), entry.c_str(), &st, AT_SYMLINK_NOFOLLOW) != 0 || !S_ISREG(st.st_mode))
            continue;
        ++files;
        if (::unlinkat(folder.get(), entry.c_str(), 0) == 0)
            ++out.deleted;
        else if (out.error.empty())
            out.error = dir + "/" + entry + ": " + reason(errno);
    }
    // A relative pattern names the folder it was looked for in.
    if (files == 0)
        out.error = pattern + ": no file matches" + (pattern[0] == '/' ? "" : " in " + dir) +
                    " (only plain files are deleted, never folders, links or devices)";
    return out;
}

} // namespace qm
