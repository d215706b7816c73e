#pragma once
// The Windows program around its recognizer: the desktop, the front end, the
// four windows and the message loop.
#include "Recognizer.h"

#include <windows.h>

#include <functional>

namespace qm {

class Win32FrontEnd;
class WindowSet;

// Runs until the program ends and returns its exit code. extend, when given,
// runs after the windows exist and before the start-up.
int RunProgram(HINSTANCE instance, Recognizer& recognizer,
               const std::function<void(Win32FrontEnd&, WindowSet&)>& extend = {});

} // namespace qm
