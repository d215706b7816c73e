#include "Geometry.h"

namespace qm::win32 {

namespace {

// Per-monitor DPI calls exist from Windows 10 1607 on; older systems and
// Wine builds without them get the screen's DPI.
template <typename Fn>
Fn user32Function(const char* name)
{
    HMODULE user32 = GetModuleHandleA("user32.dll");
    return user32 ? reinterpret_cast<Fn>(reinterpret_cast<void*>(GetProcAddress(user32, name))) : nullptr;
}

using GetDpiForWindowFn = UINT(WINAPI*)(HWND);
using AdjustWindowRectExForDpiFn = BOOL(WINAPI*)(RECT*, DWORD, BOOL, DWORD, UINT);

int screenDpi()
{
    HDC screen = GetDC(nullptr);
    const int dpi = screen ? GetDeviceCaps(screen, LOGPIXELSX) : USER_DEFAULT_SCREEN_DPI;
    if (screen)
        ReleaseDC(nullptr, screen);
    return dpi > 0 ? dpi : USER_DEFAULT_SCREEN_DPI;
}

} // namespace

int TwipsToPixels(int twips, int dpi)
{
    const long long scaled = static_cast<long long>(twips) * dpi;
    const long long half = kTwipsPerInch / 2;
    return static_cast<int>(scaled >= 0 ? (scaled + half) / kTwipsPerInch : -((-scaled + half) / kTwipsPerInch));
}

int WindowDpi(HWND window)
{
    static const auto getDpiForWindow = user32Function<GetDpiForWindowFn>("GetDpiForWindow");
    if (getDpiForWindow && window) {
        if (UINT dpi = getDpiForWindow(window))
            return static_cast<int>(dpi);
    }
    return screenDpi();
}

RECT ControlRect(const Form& form, const Control& control, int dpi)
{
    Twips g = control.Geometry();
    // Walk out through the containers; a name that is no control of the form
    // ends the walk, so a stray container name cannot loop.
    const Control* inner = &control;
    for (int depth = 0; depth < 16; ++depth) {
        const std::string& container = form.ContainerOf(*inner);
        if (container.empty())
            break;
        const Control* outer = nullptr;
        for (const Control* c : form.Controls())
            if (c->Name() == container)
                outer = c;
        if (!outer || outer == inner)
            break;
        g.left += outer->Geometry().left;
        g.top += outer->Geometry().top;
        inner = outer;
    }
    RECT r;
    r.left = TwipsToPixels(g.left, dpi);
    r.top = TwipsToPixels(g.top, dpi);
    r.right = r.left + TwipsToPixels(g.width, dpi);
    r.bottom = r.top + TwipsToPixels(g.height, dpi);
    return r;
}

DWORD FrameWindowStyle(FrameStyle frame)
{
    switch (frame) {
    case FrameStyle::FixedSingle:
        return WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU;
    case FrameStyle::FixedSingleMinimize:
        return WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX;
    case FrameStyle::Sizable:
        break;
    }
    return WS_OVERLAPPEDWINDOW;
}

RECT FrameAround(DWORD windowStyle, DWORD exStyle, bool hasMenu, int dpi)
{
    static const auto adjustForDpi = user32Function<AdjustWindowRectExForDpiFn>("AdjustWindowRectExForDpi");
    RECT r{0, 0, 0, 0};
    if (!(adjustForDpi && adjustForDpi(&r, windowStyle, hasMenu, exStyle, static_cast<UINT>(dpi))))
        AdjustWindowRectEx(&r, windowStyle, hasMenu, exStyle);
    return r;
}

int FittingDpi(int dpi, int clientWidthTwips, int clientHeightTwips, const RECT& frame, const RECT& workArea)
{
    const int roomX = workArea.right - workArea.left - (frame.right - frame.left);
    const int roomY = workArea.bottom - workArea.top - (frame.bottom - frame.top);
    int d = dpi;
    while (d > 1 && (TwipsToPixels(clientWidthTwips, d) > roomX || TwipsToPixels(clientHeightTwips, d) > roomY))
        --d;
    return d;
}

RECT MovedOnto(const RECT& window, const RECT& area)
{
    const int w = window.right - window.left, h = window.bottom - window.top;
    int x = window.left, y = window.top;
    if (x + w > area.right)
        x = area.right - w;
    if (x < area.left)
        x = area.left;
    if (y + h > area.bottom)
        y = area.bottom - h;
    if (y < area.top)
        y = area.top;
    return {x, y, x + w, y + h};
}

} // namespace qm::win32
