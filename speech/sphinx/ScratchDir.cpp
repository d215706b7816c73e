#include "ScratchDir.h"

#include <algorithm>
#include <cstdlib>
#include <mutex>
#include <vector>

namespace qm::sphinx {

namespace {

// The folders not yet removed. exit() runs no destructor of an object that
// lives on a stack or the heap, so these are removed by an exit handler.
struct LiveDirs {
    std::mutex lock;
    std::vector<ScratchDir*> dirs;
};

LiveDirs& live() {
    static LiveDirs* dirs = new LiveDirs;  // never destroyed: the exit handler may run after statics go
    return *dirs;
}

}  // namespace

void removeScratchDirsAtExit() {
    LiveDirs& l = live();
    std::lock_guard<std::mutex> hold(l.lock);
    for (ScratchDir* d : l.dirs) d->removeFolder();
    l.dirs.clear();
}

bool ScratchDir::create(const std::string& prefix) {
    if (!path_.empty()) return true;
    path_ = makeFolder(prefix);
    if (path_.empty()) return false;
    LiveDirs& l = live();
    std::lock_guard<std::mutex> hold(l.lock);
    static const bool registered = std::atexit(removeScratchDirsAtExit) == 0;
    (void)registered;
    l.dirs.push_back(this);
    return true;
}

ScratchDir::~ScratchDir() {
    if (path_.empty()) return;
    LiveDirs& l = live();
    std::lock_guard<std::mutex> hold(l.lock);
    const auto at = std::find(l.dirs.begin(), l.dirs.end(), this);
    if (at == l.dirs.end()) return;  // the exit handler removed it already
    l.dirs.erase(at);
    removeFolder();
}

}  // namespace qm::sphinx
