#pragma once
#include "DesktopServices.h"

class QMessageBox;
class QWidget;

namespace qm {

// The desktop services on Linux, through Qt. Needs a QApplication for the
// message box and the file dialog.
class QtDesktop : public DesktopServices {
public:
    std::string openTarget(const std::string& target, NativeHandle owner) override;
    DeleteOutcome deleteByPattern(const std::string& pattern) override;
    void messageBox(const std::string& text) override;
    std::string storeDirectory() override;
    std::optional<std::string> openFileDialog(NativeHandle owner) override;
    void makeTopmost(NativeHandle window) override;
};

// Keeps a window above all windows that are not kept on top, keeping its
// position and size. The one way the program does it: the front end for a
// topmost form's style, makeTopmost for the forms' load steps.
void KeepOnTop(QWidget* window);

// Runs a message box above the program's windows, which are kept on top
// themselves, and wide enough for its title.
void ShowAboveTheProgram(QMessageBox& box);

// $XDG_DATA_HOME/quillmere, else ~/.local/share/quillmere; created if missing.
std::string LinuxStoreDirectory();

} // namespace qm
