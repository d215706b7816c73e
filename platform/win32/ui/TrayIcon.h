#pragma once
// The notification-area icon in its first record layout, which every
// version of the shell accepts.
#include <windows.h>
#include <shellapi.h>

#include <string>

namespace qm::win32 {

inline constexpr UINT kTrayIconId = 1;

// cbSize 88, uID 1, NIF_MESSAGE | NIF_ICON | NIF_TIP, the private callback
// message, and the tip: its text, a NUL, then blanks to the end of its 64
// bytes. A longer tip is cut to 63 bytes.
NOTIFYICONDATAA TrayIconRecord(HWND window, HICON icon, const std::string& tip);

// A copy of an icon in shades of grey, its mask and alpha kept: the tray
// icon while the program does not listen. Null when the icon cannot be read.
// The caller destroys it.
HICON GreyIcon(HICON icon);

// What the callback's lParam asks of the program.
enum class TrayEvent { None, RightButtonUp, LeftDoubleClick };
TrayEvent DecodeTrayCallback(LPARAM lParam);

} // namespace qm::win32
