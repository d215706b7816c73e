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

// How far a window reaches beyond its client area on each side: frame,
// caption and menu bar at that DPI. Left and top are negative.
RECT FrameAround(DWORD windowStyle, DWORD exStyle, bool hasMenu, int dpi);

// The DPI a form is laid out at on a monitor of that DPI: the monitor's,
// or, where the window would not fit the work area, the largest below it at
// which the client area of these twips and the frame do fit. Never below 1.
int FittingDpi(int dpi, int clientWidthTwips, int clientHeightTwips, const RECT& frame, const RECT& workArea);

// A window rectangle moved onto an area the least way: wholly inside where
// it fits, else with its left and top edges on the area's, so that the
// caption and the frame's start can be reached.
RECT MovedOnto(const RECT& window, const RECT& area);

} // namespace qm::win32
