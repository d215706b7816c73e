#pragma once
// The window messages the front end posts to itself. They sit in the WM_APP
// range: WM_USER numbers belong to the dialog manager, which IsDialogMessage
// sends to our forms (DM_GETDEFID is WM_USER + 0).
#include <windows.h>

namespace qm::win32 {

// The tray icon's callback; lParam carries the mouse message over the icon.
inline constexpr UINT kTrayCallbackMessage = WM_APP + 1;
// A form that was unbound destroys its window when this arrives, after the
// handler that unbound it has returned.
inline constexpr UINT kDestroyFormMessage = WM_APP + 2;

// The timer that turns drawing back on for list boxes filled in a burst.
inline constexpr UINT_PTR kRedrawListsTimer = 1;

// Ids of controls and of menu items never meet: controls count from here up,
// menu items from kFirstMenuId, and both stay clear of IDOK and IDCANCEL,
// which IsDialogMessage sends for Enter and Escape.
inline constexpr int kFirstControlId = 100;
inline constexpr int kFirstMenuId = 1000;

} // namespace qm::win32
