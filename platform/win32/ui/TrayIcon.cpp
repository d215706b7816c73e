#include "TrayIcon.h"

#include "PrivateMessages.h"

#include <cstring>

namespace qm::win32 {

NOTIFYICONDATAA TrayIconRecord(HWND window, HICON icon, const std::string& tip)
{
    static_assert(NOTIFYICONDATAA_V1_SIZE == 88, "the first layout of NOTIFYICONDATAA is 88 bytes");
    NOTIFYICONDATAA record;
    std::memset(&record, 0, sizeof record);
    record.cbSize = NOTIFYICONDATAA_V1_SIZE;
    record.hWnd = window;
    record.uID = kTrayIconId;
    record.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
    record.uCallbackMessage = kTrayCallbackMessage;
    record.hIcon = icon;
    constexpr size_t kTipBytes = 64;
    static_assert(sizeof record.szTip >= kTipBytes);
    std::memset(record.szTip, ' ', kTipBytes);
    const size_t n = tip.size() < kTipBytes - 1 ? tip.size() : kTipBytes - 1;
    std::memcpy(record.szTip, tip.data(), n);
    record.szTip[n] = '\0';
    return record;
}

TrayEvent DecodeTrayCallback(LPARAM lParam)
{
    // The first record layout puts the mouse message in the whole lParam.
    switch (static_cast<UINT>(lParam)) {
    case WM_RBUTTONUP:
        return TrayEvent::RightButtonUp;
    case WM_LBUTTONDBLCLK:
        return TrayEvent::LeftDoubleClick;
    default:
        return TrayEvent::None;
    }
}

} // namespace qm::win32
