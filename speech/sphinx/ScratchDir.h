// A private folder under the system's temporary folder, for files the
// engine writes and reads back within one decision. Removed, with what is
// in it, when the object goes.
#pragma once

#include <string>

namespace qm::sphinx {

class ScratchDir {
public:
    ScratchDir() = default;
    ~ScratchDir();
    ScratchDir(const ScratchDir&) = delete;
    ScratchDir& operator=(const ScratchDir&) = delete;

    // Makes a new folder named from prefix; false when none can be made.
    bool create(const std::string& prefix);
    // Empty until create() succeeds. "/" separates on both systems.
    const std::string& path() const { return path_; }
    // Makes the folder again when something (a cleaner of old temporary
    // files) took it away; false when that fails.
    bool ensure();
    // Removes every file in the folder.
    void clear();

private:
    std::string path_;
};

}  // namespace qm::sphinx
