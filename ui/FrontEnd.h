#pragma once
// What the window logic needs of a toolkit beyond the desktop services: native
// windows for the form models, the pop-up menu, the tray icon, the end.
#include "Form.h"

#include <string>

namespace qm {

class FrontEnd {
public:
    virtual ~FrontEnd() = default;
    // Makes the native window for a new form, hidden, and sets form.hWnd.
    virtual void bind(Form& form) = 0;
    // Drops a form's native window. May be called from inside one of the
    // form's own handlers, so the toolkit must defer the actual destruction.
    virtual void unbind(Form& form) = 0;
    // Opens the menu at the pointer and returns when it closes.
    virtual void popupMenu(Menu& menu) = 0;
    // False when the desktop has no notification area.
    virtual bool addTrayIcon(const std::string& tip) = 0;
    virtual void removeTrayIcon() = 0;
    // The tray icon is drawn grey while the program does not listen; the tip
    // keeps its text. Also holds for an icon added later.
    virtual void setTrayListening(bool listening) { (void)listening; }
    // Minimises a form's window to the task bar.
    virtual void minimize(Form& form) { (void)form; }
    // Ends the event loop; the program then exits.
    virtual void quit() = 0;
};

} // namespace qm
