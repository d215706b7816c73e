#include "ScratchDir.h"

#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <vector>

namespace qm::sphinx {

bool ScratchDir::create(const std::string& prefix) {
    const char* tmp = std::getenv("TMPDIR");
    std::string pattern = std::string(tmp && *tmp ? tmp : "/tmp") + "/" + prefix + "-XXXXXX";
    std::vector<char> name(pattern.begin(), pattern.end());
    name.push_back('\0');
    if (!mkdtemp(name.data())) return false;
    path_ = name.data();
    return true;
}

bool ScratchDir::ensure() {
    if (path_.empty()) return false;
    struct stat st {};
    if (stat(path_.c_str(), &st) == 0 && S_ISDIR(st.st_mode)) return true;
    return mkdir(path_.c_str(), 0700) == 0;
}

void ScratchDir::clear() {
    if (path_.empty()) return;
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

ScratchDir::~ScratchDir() {
    clear();
    if (!path_.empty()) rmdir(path_.c_str());
}

}  // namespace qm::sphinx
