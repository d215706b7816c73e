#pragma once
#include "DesktopServices.h"

namespace qm {

class Win32Desktop : public DesktopServices {
public:
    std::string openTarget(const std::string& target, NativeHandle owner) override;
    DeleteOutcome deleteByPattern(const std::string& pattern) override;
    void messageBox(const std::string& text) override;
    std::string storeDirectory() override;
    std::optional<std::string> openFileDialog(NativeHandle owner) override;
    void makeTopmost(NativeHandle window) override;
    // The owner of message boxes when no window of the program is active:
    // the main window once it exists.
    NativeHandle messageOwner = 0;
};

// The Windows directory, however long.
std::string WindowsDirectory();

} // namespace qm
