// A private folder for files the engine writes and reads back within one
// decision. Removed, with what is in it, when the object goes, or when the
// program ends through exit() with the object still alive (as a toolkit
// ends it when the display goes away at logout).
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
    // True when the folder is there and still ours alone. Makes it again
    // when something (a cleaner of old temporary files) took it away; false
    // when that fails or something else now stands at its name, which must
    // then not be written into.
    bool ensure();
    // Removes every file in the folder.
    void clear();

private:
    // The system's part of create(): a new folder, named from prefix, that
    // only this user can enter; "" when none can be made.
    static std::string makeFolder(const std::string& prefix);
    // Removes the folder and what is in it; path_ is left as it was.
    void removeFolder();
    friend void removeScratchDirsAtExit();

    std::string path_;
};

}  // namespace qm::sphinx
