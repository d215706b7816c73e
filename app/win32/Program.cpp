#include "Program.h"

#include "Backends.h"
#include "SingleInstance.h"
#include "Win32Desktop.h"
#include "Win32FrontEnd.h"
#include "WindowSet.h"

#include <string>

namespace qm {

int RunProgram(HINSTANCE instance, Recognizer& recognizer,
               const std::function<void(Win32FrontEnd&, WindowSet&)>& extend)
{
    // Declared in this order so that each outlives what uses it.
    Win32Desktop desktop;

    // A second program on the same store would keep a table of its own, act
    // on every phrase a second time, and save over the first one's entries.
    SingleInstance single(desktop.storeDirectory());
    if (!single.first()) {
        if (single.bringFirstForward())
            return 0;
        desktop.messageBox(std::string(kAppTitle) + " is already running for this word list, but does not answer.");
        return 1;
    }

    Win32FrontEnd frontEnd(instance, desktop);
    WindowSet set({desktop, frontEnd, recognizer, DesktopPlayer(), DesktopSession()});
    frontEnd.setMainWindowHook(
        [&set](UINT msg, WPARAM, LPARAM, LRESULT& result) { return HandleBringForward(set, msg, result); });
    if (extend)
        extend(frontEnd, set);

    int code = 1;
    try {
        if (set.start())
            code = frontEnd.run();
    } catch (const std::exception& e) {
        desktop.messageBox(std::string(kAppTitle) + " cannot go on: " + e.what());
    }
    // The windows go while their models still exist.
    frontEnd.closeAll();
    return code;
}

} // namespace qm
