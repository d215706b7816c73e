#include "TrayIcon.h"

#include "PrivateMessages.h"

#include <cstring>
#include <vector>

namespace qm::win32 {

NOTIFYICONDATAA TrayIconRecord(HWND window, HICON icon, const std::string& tip)
{
    static_assert(NOTIFYICONDATAA_V1_SIZE == (sizeof(void*) == 4 ? 88 : 104),
                  "the first layout of NOTIFYICONDATAA is 88 bytes (104 with 64-bit handles)");
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

HICON GreyIcon(HICON icon)
{
    ICONINFO info{};
    if (!icon || !GetIconInfo(icon, &info))
        return nullptr;
    HICON grey = nullptr;
    BITMAP bm{};
    if (info.hbmColor && GetObjectA(info.hbmColor, sizeof bm, &bm)) {
        BITMAPINFO bi{};
        bi.bmiHeader.biSize = sizeof bi.bmiHeader;
        bi.bmiHeader.biWidth = bm.bmWidth;
        bi.bmiHeader.biHeight = -bm.bmHeight; // top-down
        bi.bmiHeader.biPlanes = 1;
        bi.bmiHeader.biBitCount = 32;
        bi.bmiHeader.biCompression = BI_RGB;
        std::vector<BYTE> pixels(static_cast<size_t>(bm.bmWidth) * bm.bmHeight * 4);
        HDC dc = GetDC(nullptr);
        if (GetDIBits(dc, info.hbmColor, 0, bm.bmHeight, pixels.data(), &bi, DIB_RGB_COLORS)) {
            for (size_t i = 0; i + 3 < pixels.size(); i += 4) {
                // B, G, R, A; the alpha byte stays as it is.
                const BYTE g = static_cast<BYTE>((pixels[i] * 11 + pixels[i + 1] * 16 + pixels[i + 2] * 5) / 32);
                pixels[i] = pixels[i + 1] = pixels[i + 2] = g;
            }
            void* bits = nullptr;
            HBITMAP colour = CreateDIBSection(dc, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
            if (colour && bits) {
                std::memcpy(bits, pixels.data(), pixels.size());
                ICONINFO made = info;
                made.hbmColor = colour;
                grey = CreateIconIndirect(&made);
            }
            if (colour)
                DeleteObject(colour);
        }
        ReleaseDC(nullptr, dc);
    }
    if (info.hbmColor)
        DeleteObject(info.hbmColor);
    if (info.hbmMask)
        DeleteObject(info.hbmMask);
    return grey;
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
