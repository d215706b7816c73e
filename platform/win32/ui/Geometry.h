#pragma once
// From the models' twips to a window's pixels. A form is laid out at the DPI
// of the monitor its window is on, and again when it moves to another one.
#include "Control.h"
#include "Form.h"

#include <windows.h>

namespace qm::win32 {

inline constexpr int kTwipsPerInch = 1440;

// Rounds to the nearest pixel, halves away from zero, for either sign: a
// control may start left of its container (a negative left).
int TwipsToPixels(int twips, int dpi);

// The DPI a window is drawn at: the window's own where the system tracks it
// per monitor, otherwise the screen's.
int WindowDpi(HWND window);

// A control's rectangle in its form's client area, in pixels: its container
// frames' offsets added up, as the form nests them.
RECT ControlRect(const Form& form, const Control& control, int dpi);

// The window styles for a form's frame.
DWORD FrameWindowStyle(FrameStyle frame);

// The window rectangle around a client area of clientWidth x clientHeight
// twips whose top left corner is at (0, 0): frame, caption and menu bar
// added at that DPI, so left and top come out negative.
RECT WindowRectAroundClient(const FormStyle& style, DWORD windowStyle, DWORD exStyle, bool hasMenu, int dpi);

} // namespace qm::win32
