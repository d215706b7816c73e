#pragma once
// The Linux desktop program around an engine: the Qt desktop services and
// front end, the D-Bus player and session, the window set, the event loop.
#include "Recognizer.h"

#include <functional>

namespace qm {

class QtFrontEnd;
class WindowSet;

// Runs after the start-up, before the event loop; nothing in the shipped
// program uses it.
using StartedHook = std::function<void(WindowSet&, QtFrontEnd&)>;

// Needs a QApplication. The engine may raise its events on any thread.
// SIGTERM and SIGINT end the program as Exit does.
// Returns the program's exit status: 1 when the start-up fails.
int RunDesktop(Recognizer& engine, const StartedHook& started = {});

} // namespace qm
