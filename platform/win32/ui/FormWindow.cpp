#include "FormWindow.h"

#include "Geometry.h"
#include "MenuBinding.h"
#include "PrivateMessages.h"
#include "Win32FrontEnd.h"

#include <commctrl.h>

#include <algorithm>
#include <map>

namespace qm::win32 {

void FormWindow::registerClass(HINSTANCE instance, HICON big, HICON small)
{
    WNDCLASSEXA wc{};
    if (GetClassInfoExA(instance, kWindowClass, &wc))
        return;
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = &FormWindow::procedure;
    wc.hInstance = instance;
    wc.hIcon = big;
    wc.hIconSm = small;
    wc.hCursor = LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_ARROW));
    wc.hbrBackground = reinterpret_cast<HBRUSH>(static_cast<INT_PTR>(COLOR_BTNFACE + 1));
    wc.lpszClassName = kWindowClass;
    RegisterClassExA(&wc);
}

FormWindow::FormWindow(Win32FrontEnd& frontEnd, Form& form, Menu* menuBar) : frontEnd_(frontEnd), form_(&form)
{
    if (menuBar)
        menu_ = std::make_unique<MenuBinding>(*menuBar, MenuBinding::Kind::Bar, frontEnd.menuIds(), [this] {
            if (hwnd_ && menu_) {
                if (GetMenu(hwnd_) != menu_->handle())
                    SetMenu(hwnd_, menu_->handle());
                DrawMenuBar(hwnd_);
            }
        });
    // Not WS_CLIPCHILDREN: a group box leaves its inside to its parent,
    // which must paint under it, or the frame shows black inside.
    style_ = FrameWindowStyle(form.Style().frame);
    // A form that stays on top is made so: its load asks again, but a hidden
    // window is not always moved into the topmost band when asked later.
    exStyle_ = form.Style().topmost ? WS_EX_TOPMOST : 0;
    // Made at the system's default place and size, then sized at the DPI of
    // the monitor it landed on.
    CreateWindowExA(exStyle_, kWindowClass, form.Caption().c_str(), style_, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT,
                    CW_USEDEFAULT, nullptr, menu_ ? menu_->handle() : nullptr, frontEnd.instance(), this);
    form.hWnd = reinterpret_cast<NativeHandle>(hwnd_);
    // The class has the icons too; set on the window, other programs can ask for them.
    SendMessageA(hwnd_, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(frontEnd.icon(true)));
    SendMessageA(hwnd_, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(frontEnd.icon(false)));
    fitToMonitor(WindowDpi(hwnd_));
    makeFont();
    sizeWindow(form.Style().placement == Placement::Fixed);
    moveOntoWorkArea();
    createControls();
    createToolTips();
    form.setObserver([this](Change c, int) { modelChanged(c); });
    if (form.Visible())
        modelChanged(Change::Visible);
}

FormWindow::~FormWindow()
{
    detachModels();
    // The window destroyed its menu bar along with itself.
    if (menu_ && destroyed_)
        menu_->release();
    if (font_)
        DeleteObject(font_);
}

// ---------------------------------------------------------------- routing

LRESULT CALLBACK FormWindow::procedure(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp)
{
    auto* self = reinterpret_cast<FormWindow*>(GetWindowLongPtrA(hwnd, GWLP_USERDATA));
    if (!self) {
        if (msg != WM_NCCREATE)
            return DefWindowProcA(hwnd, msg, wp, lp);
        self = static_cast<FormWindow*>(reinterpret_cast<CREATESTRUCTA*>(lp)->lpCreateParams);
        SetWindowLongPtrA(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
        self->hwnd_ = hwnd;
    }
    ++self->depth_;
    LRESULT result = 0;
    try {
        result = self->route(msg, wp, lp);
    } catch (const std::exception& e) {
        // Nothing may unwind through the system's frames; the program goes on.
        MessageBoxA(hwnd, e.what(), kAppTitle, MB_OK);
    }
    if (--self->depth_ == 0) {
        if (self->destroyed_) {
            self->frontEnd_.released(self);
        } else if (self->destroyPending_) {
            self->destroyPending_ = false;
            // Last use of self: the destruction releases it.
            DestroyWindow(self->hwnd_);
        }
    }
    return result;
}

LRESULT FormWindow::route(UINT msg, WPARAM wp, LPARAM lp)
{
    if (hwnd_ == frontEnd_.mainWindow()) {
        LRESULT result = 0;
        if (frontEnd_.mainWindowMessage(msg, wp, lp, result))
            return result;
    }
    switch (msg) {
    case WM_COMMAND:
        onCommand(wp, lp);
        return 0;
    case WM_CLOSE:
        onClose();
        return 0;
    case WM_DRAWITEM:
        return onDrawItem(*reinterpret_cast<const DRAWITEMSTRUCT*>(lp));
    case WM_ACTIVATE:
        onActivate(wp);
        break;
    case WM_TIMER:
        if (wp != kRedrawListsTimer)
            break;
        onRedrawLists();
        return 0;
    case kDestroyFormMessage:
        onDestroyRequested();
        return 0;
    case WM_DPICHANGED:
        onDpiChanged(HIWORD(wp), *reinterpret_cast<const RECT*>(lp));
        return 0;
    case WM_NCDESTROY:
        onNcDestroy();
        break;
    default:
        break;
    }
    return DefWindowProcA(hwnd_, msg, wp, lp);
}

// ---------------------------------------------------------------- handlers

void FormWindow::onCommand(WPARAM wp, LPARAM lp)
{
    const int id = LOWORD(wp);
    // Controls send their own window handle; menus and accelerators none.
    if (lp) {
        if (ControlBinding* b = bindingById(id))
            b->notified(HIWORD(wp));
        return;
    }
    if (form_)
        frontEnd_.menuCommand(id);
}

// The form decides what closing means: save and end, hide, or unload.
void FormWindow::onClose()
{
    if (form_)
        form_->userClose();
}

LRESULT FormWindow::onDrawItem(const DRAWITEMSTRUCT& item)
{
    ControlBinding* b = bindingById(static_cast<int>(item.CtlID));
    return b && b->draw(item) ? TRUE : FALSE;
}

void FormWindow::onActivate(WPARAM wp) { frontEnd_.activated(hwnd_, LOWORD(wp) != WA_INACTIVE); }

void FormWindow::onRedrawLists()
{
    KillTimer(hwnd_, kRedrawListsTimer);
    for (auto& c : controls_)
        c->redrawAfterBurst();
}

void FormWindow::onDestroyRequested() { destroyPending_ = true; }

void FormWindow::onDpiChanged(int dpi, const RECT& suggested)
{
    SetWindowPos(hwnd_, nullptr, suggested.left, suggested.top, suggested.right - suggested.left,
                 suggested.bottom - suggested.top, SWP_NOZORDER | SWP_NOACTIVATE);
    fitToMonitor(dpi);
    HFONT old = font_;
    font_ = nullptr;
    makeFont();
    sizeWindow(false);
    moveOntoWorkArea();
    layoutControls();
    if (old)
        DeleteObject(old);
}

void FormWindow::onNcDestroy()
{
    SetWindowLongPtrA(hwnd_, GWLP_USERDATA, 0);
    destroyed_ = true;
}

// ---------------------------------------------------------------- the form's life

void FormWindow::unbind()
{
    detachModels();
    if (form_)
        form_->hWnd = 0;
    form_ = nullptr;
    // From inside one of this window's handlers, the window goes when that
    // handler returns; from anywhere else, when the message arrives.
    destroyPending_ = true;
    PostMessageA(hwnd_, kDestroyFormMessage, 0, 0);
}

void FormWindow::destroyNow()
{
    detachModels();
    form_ = nullptr;
    DestroyWindow(hwnd_);
}

void FormWindow::detachModels()
{
    for (auto& c : controls_)
        c->detach();
    if (menu_)
        menu_->detach();
    if (form_)
        form_->setObserver({});
}

void FormWindow::modelChanged(Change change)
{
    switch (change) {
    case Change::Visible:
        if (form_->Visible()) {
            if (!shownBefore_ && form_->Style().placement == Placement::CenterScreen)
                centreOnScreen();
            else if (!shownBefore_)
                moveOntoWorkArea();
            shownBefore_ = true;
            ShowWindow(hwnd_, IsIconic(hwnd_) ? SW_RESTORE : SW_SHOW);
            // Shown, or shown again, the window comes to the front of its
            // band: the activation alone leaves Wine's stacking as it was.
            BringWindowToTop(hwnd_);
        } else {
            ShowWindow(hwnd_, SW_HIDE);
        }
        break;
    case Change::Caption:
        SetWindowTextA(hwnd_, form_->Caption().c_str());
        break;
    case Change::Enabled:
        EnableWindow(hwnd_, form_->Enabled());
        break;
    default:
        break;
    }
}

// ---------------------------------------------------------------- layout

void FormWindow::makeFont()
{
    // The dialog font at 8 points, which the twips geometry was drawn for.
    font_ = CreateFontA(-MulDiv(8, dpi_, 72), 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET,
                        OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH | FF_DONTCARE,
                        "MS Shell Dlg");
}

namespace {

RECT workAreaOf(HWND window)
{
    MONITORINFO monitor{};
    monitor.cbSize = sizeof monitor;
    GetMonitorInfoA(MonitorFromWindow(window, MONITOR_DEFAULTTONEAREST), &monitor);
    return monitor.rcWork;
}

} // namespace

void FormWindow::fitToMonitor(int monitorDpi)
{
    monitorDpi_ = monitorDpi;
    const FormStyle& style = form_->Style();
    const RECT frame = FrameAround(style_, exStyle_, menu_ != nullptr, monitorDpi);
    dpi_ = FittingDpi(monitorDpi, style.clientWidth, style.clientHeight, frame, workAreaOf(hwnd_));
}

void FormWindow::sizeWindow(bool move)
{
    const FormStyle& style = form_->Style();
    // The frame is the system's, at the monitor's DPI; the client area is
    // the form's, at the DPI it is laid out at.
    const RECT frame = FrameAround(style_, exStyle_, menu_ != nullptr, monitorDpi_);
    const int wantWidth = TwipsToPixels(style.clientWidth, dpi_);
    const int wantHeight = TwipsToPixels(style.clientHeight, dpi_);
    const POINT wantOrigin{TwipsToPixels(style.left, monitorDpi_), TwipsToPixels(style.top, monitorDpi_)};
    UINT flags = SWP_NOZORDER | SWP_NOACTIVATE;
    if (!move)
        flags |= SWP_NOMOVE;
    SetWindowPos(hwnd_, nullptr, wantOrigin.x + frame.left, wantOrigin.y + frame.top,
                 wantWidth + frame.right - frame.left, wantHeight + frame.bottom - frame.top, flags);
    // The frame the system drew may differ from the one it computed (a menu
    // bar that wraps onto a second line, metrics of another DPI): measure the
    // client area and correct the outer rectangle by the difference.
    RECT client{};
    GetClientRect(hwnd_, &client);
    POINT origin{0, 0};
    ClientToScreen(hwnd_, &origin);
    const int dw = wantWidth - client.right, dh = wantHeight - client.bottom;
    const int dx = move ? wantOrigin.x - origin.x : 0, dy = move ? wantOrigin.y - origin.y : 0;
    if (dw || dh || dx || dy) {
        RECT outer{};
        GetWindowRect(hwnd_, &outer);
        SetWindowPos(hwnd_, nullptr, outer.left + dx, outer.top + dy, outer.right - outer.left + dw,
                     outer.bottom - outer.top + dh, flags);
    }
}

void FormWindow::moveOntoWorkArea()
{
    RECT outer{};
    GetWindowRect(hwnd_, &outer);
    const RECT onto = MovedOnto(outer, workAreaOf(hwnd_));
    if (onto.left != outer.left || onto.top != outer.top)
        SetWindowPos(hwnd_, nullptr, onto.left, onto.top, 0, 0, SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOSIZE);
}

void FormWindow::centreOnScreen()
{
    RECT outer{};
    GetWindowRect(hwnd_, &outer);
    const RECT area = workAreaOf(hwnd_);
    const int w = outer.right - outer.left, h = outer.bottom - outer.top;
    const int x = area.left + (area.right - area.left - w) / 2;
    const int y = area.top + (area.bottom - area.top - h) / 2;
    const RECT onto = MovedOnto({x, y, x + w, y + h}, area);
    SetWindowPos(hwnd_, nullptr, onto.left, onto.top, 0, 0, SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOSIZE);
}

void FormWindow::createControls()
{
    // Windows take the tab order from their creation order, so the controls
    // are made in TabIndex order; equal indexes keep the form's reading order.
    std::vector<Control*> ordered = form_->Controls();
    std::stable_sort(ordered.begin(), ordered.end(),
                     [](const Control* a, const Control* b) { return a->TabIndex() < b->TabIndex(); });
    const LayoutContext layout{*form_, dpi_, font_};
    int id = kFirstControlId;
    std::map<const Control*, HWND> made;
    for (Control* c : ordered) {
        std::unique_ptr<ControlBinding> b = MakeBinding(*c);
        if (!b)
            continue;
        b->create(hwnd_, id++, layout);
        made[c] = b->hwnd();
        controls_.push_back(std::move(b));
    }
    // Where controls overlap, the one later in the form is drawn over the
    // earlier. Labels, frames and pictures are no tab stops, so they can go
    // below the rest, later over earlier among themselves, without changing
    // the tab order; a frame then sits below the controls inside it.
    const auto& reading = form_->Controls();
    for (auto it = reading.rbegin(); it != reading.rend(); ++it) {
        auto found = made.find(*it);
        if (found == made.end() || (GetWindowLongA(found->second, GWL_STYLE) & WS_TABSTOP))
            continue;
        SetWindowPos(found->second, HWND_BOTTOM, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    }
}

void FormWindow::layoutControls()
{
    const LayoutContext layout{*form_, dpi_, font_};
    for (auto& c : controls_)
        c->place(layout);
    if (toolTips_)
        SendMessageA(toolTips_, TTM_SETMAXTIPWIDTH, 0, TwipsToPixels(4500, dpi_));
}

void FormWindow::createToolTips()
{
    for (auto& c : controls_) {
        const std::string& tip = c->model()->ToolTipText();
        if (tip.empty())
            continue;
        if (!toolTips_) {
            toolTips_ = CreateWindowExA(WS_EX_TOPMOST, TOOLTIPS_CLASSA, nullptr, WS_POPUP | TTS_ALWAYSTIP | TTS_NOPREFIX,
                                        CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, hwnd_, nullptr,
                                        frontEnd_.instance(), nullptr);
            // Long tips wrap instead of running off the screen.
            SendMessageA(toolTips_, TTM_SETMAXTIPWIDTH, 0, TwipsToPixels(4500, dpi_));
        }
        // The size of the record that both the old and the new common controls
        // take. No TTF_SUBCLASS: a subclassed list box pays for the tip on
        // every message, 32,767 LB_ADDSTRINGs included; the message loop
        // relays the pointer's messages instead (relayToToolTips).
        TTTOOLINFOA tool{};
        tool.cbSize = TTTOOLINFOA_V2_SIZE;
        tool.uFlags = TTF_IDISHWND;
        tool.hwnd = hwnd_;
        tool.uId = reinterpret_cast<UINT_PTR>(c->hwnd());
        tool.lpszText = const_cast<char*>(tip.c_str());
        SendMessageA(toolTips_, TTM_ADDTOOLA, 0, reinterpret_cast<LPARAM>(&tool));
    }
}

FormWindow* FormWindow::of(HWND window)
{
    HWND root = window ? GetAncestor(window, GA_ROOT) : nullptr;
    char name[64] = {};
    if (!root || !GetClassNameA(root, name, sizeof name) || lstrcmpiA(name, kWindowClass) != 0)
        return nullptr;
    return reinterpret_cast<FormWindow*>(GetWindowLongPtrA(root, GWLP_USERDATA));
}

void FormWindow::relayToToolTips(const MSG& msg) const
{
    if (toolTips_ && msg.message >= WM_MOUSEFIRST && msg.message <= WM_MOUSELAST)
        SendMessageA(toolTips_, TTM_RELAYEVENT, 0, reinterpret_cast<LPARAM>(&msg));
}

ControlBinding* FormWindow::bindingById(int id) const
{
    const int index = id - kFirstControlId;
    if (index < 0 || index >= static_cast<int>(controls_.size()))
        return nullptr;
    return controls_[static_cast<size_t>(index)].get();
}

} // namespace qm::win32
