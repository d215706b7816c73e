#pragma once
// The desktop services that the window logic and the dispatch need. The
// interface sits at the bottom so every layer can call it; the implementations
// (Win32, Qt, the fake for tests) live in platform/ and CMake picks one.
#include <cstdint>
#include <optional>
#include <string>

namespace qm {

using NativeHandle = std::uintptr_t;

struct DeleteOutcome {
    int deleted = 0;
    std::string error; // empty on success; otherwise names the file and the system's reason
};

class DesktopServices {
public:
    virtual ~DesktopServices() = default;

    // Start a program, or open a document, folder or address with its default
    // application. Failures are the shell's to report to the user; the
    // caller gets why nothing started (empty when something did), for its log.
    virtual std::string openTarget(const std::string& target, NativeHandle owner) = 0;

    // Delete every file matching a path whose last component may hold "*" and
    // "?". Folders are never deleted. Matching nothing is an error.
    virtual DeleteOutcome deleteByPattern(const std::string& pattern) = 0;

    // Modal, OK only, no icon, captioned with the program's title.
    virtual void messageBox(const std::string& text) = 0;

    // The folder that holds the store files, in the platform's narrow encoding.
    virtual std::string storeDirectory() = 0;

    // The file-open dialog with the single "All Files" entry: the chosen
    // file's full path, or nothing on cancel or failure.
    virtual std::optional<std::string> openFileDialog(NativeHandle owner) = 0;

    // Keep a window above all non-topmost windows, keeping position and size.
    virtual void makeTopmost(NativeHandle window) = 0;
};

inline constexpr const char* kAppTitle = "Quillmere Voice Command";

} // namespace qm
