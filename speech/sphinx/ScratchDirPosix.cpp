#include "ScratchDir.h"

#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <vector>

namespace qm::sphinx {

namespace {

// A folder, not a link to one, that this user owns and nobody else can
// enter: nobody else can put a file or a link to a file of ours into it.
bool ownedPrivateFolder(const char* path) {
    struct stat st {};
    return lstat(path, &st) == 0 && S_ISDIR(st.st_mode) && st.st_uid == geteuid() && (st.st_mode & 077) == 0;
}

}  // namespace

std::string ScratchDir::makeFolder(const std::string& prefix) {
    // The session's runtime folder is private and emptied at logout, so
    // not even a program that is killed leaves anything behind for long.
    const char* runtime = std::getenv("XDG_RUNTIME_DIR");
    const char* tmp = std::getenv("TMPDIR");
    std::string base = runtime && *runtime == '/' && ownedPrivateFolder(runtime) ? runtime
                       : tmp && *tmp                                          ? tmp
                                                                              : "/tmp";
    std::string pattern = base + "/" + prefix + "-XXXXXX";
    std::vector<char> name(pattern.begin(), pattern.end());
    name.push_back('\0');
    return mkdtemp(name.data()) ? std::string(name.data()) : std::string();
}

bool ScratchDir::ensure() {
    if (path_.empty()) return false;
    if (ownedPrivateFolder(path_.c_str())) return true;
    // mkdir does not follow a link that stands at the name: it fails.
    return mkdir(path_.c_str(), 0700) == 0;
}

void ScratchDir::clear() {
    if (path_.empty() || !ownedPrivateFolder(path_.c_str())) return;
    DIR* dir = opendir(path_.c_str());
    if (!dir) return;
    std::vector<std::string> names;
    while (const dirent* e = readdir(dir)) {
        const std::string n = e->d_name;
        if (n != "." && n != "..") names.push_back(n);
    }
    closedir(dir);
    for (const auto& n : names) unlink((path_ + "/" + n).c_str());
}

void ScratchDir::removeFolder() {
    clear();
    rmdir(path_.c_str());
}

}  // namespace qm::sphinx
