#include "Program.h"

#include "Backends.h"
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
    Win32FrontEnd frontEnd(instance, desktop);
    WindowSet set({desktop, frontEnd, recognizer, DesktopPlayer(), DesktopSession()});
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
