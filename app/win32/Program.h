#pragma once
// The Windows program around its recognizer: the desktop, the front end, the
// four windows and the message loop.
#include "Recognizer.h"

#include <windows.h>

#include <functional>

namespace qm {

class Win32FrontEnd;
class WindowSet;

// Runs until the program ends and returns its exit code; a start while
// another program runs on the same store brings that one forward and returns
// 0 at once. extend, when given, runs after the windows exist and before the
// start-up; a main window hook it sets must pass on HandleBringForward.
int RunProgram(HINSTANCE instance, Recognizer& recognizer,
               const std::function<void(Win32FrontEnd&, WindowSet&)>& extend = {});

} // namespace qm
