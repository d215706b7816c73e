#include "Win32FrontEnd.h"

#include "Form1.h"
#include "FormWindow.h"
#include "MenuBinding.h"
#include "PrivateMessages.h"
#include "ResourceIds.h"
#include "TrayIcon.h"

#include <commctrl.h>
#include <shellapi.h>

#include <vector>

namespace qm {

using win32::FormWindow;

namespace {

HICON programIcon(HINSTANCE instance, int size)
{
    // A build without the program's resources still gets an icon.
    auto icon = static_cast<HICON>(LoadImageA(instance, MAKEINTRESOURCEA(QM_IDI_PROGRAM), IMAGE_ICON, size, size, 0));
    if (!icon)
        icon = static_cast<HICON>(
            LoadImageA(nullptr, reinterpret_cast<LPCSTR>(IDI_APPLICATION), IMAGE_ICON, size, size, LR_SHARED));
    return icon;
}

} // namespace

Win32FrontEnd::Win32FrontEnd(HINSTANCE instance, Win32Desktop& desktop)
    : instance_(instance), desktop_(desktop), menuIds_(std::make_unique<win32::MenuIds>())
{
    INITCOMMONCONTROLSEX icc{sizeof icc, ICC_STANDARD_CLASSES | ICC_WIN95_CLASSES};
    InitCommonControlsEx(&icc);
    bigIcon_ = programIcon(instance, GetSystemMetrics(SM_CXICON));
    smallIcon_ = programIcon(instance, GetSystemMetrics(SM_CXSMICON));
    FormWindow::registerClass(instance, bigIcon_, smallIcon_);
    // The shell broadcasts this when its taskbar starts again; the icon must be added again.
    taskbarCreated_ = RegisterWindowMessageA("TaskbarCreated");
}

Win32FrontEnd::~Win32FrontEnd()
{
    closeAll();
}

// ---------------------------------------------------------------- forms

// The main window is the one form with a menu bar and the tray icon; it owns
// the message boxes.
void Win32FrontEnd::bind(Form& form)
{
    auto* mainForm = dynamic_cast<Form1*>(&form);
    auto window = std::make_unique<FormWindow>(*this, form, mainForm ? &mainForm->menuBar : nullptr);
    FormWindow* raw = window.get();
    windows_[raw] = std::move(window);
    bound_[&form] = raw;
    if (mainForm) {
        mainForm_ = mainForm;
        main_ = raw->hwnd();
        desktop_.messageOwner = reinterpret_cast<NativeHandle>(main_);
    }
}

void Win32FrontEnd::unbind(Form& form)
{
    auto it = bound_.find(&form);
    if (it == bound_.end())
        return;
    FormWindow* window = it->second;
    bound_.erase(it);
    if (window->hwnd() == main_) {
        mainForm_ = nullptr;
        desktop_.messageOwner = 0;
    }
    window->unbind();
}

void Win32FrontEnd::released(FormWindow* window)
{
    for (auto it = bound_.begin(); it != bound_.end(); ++it)
        if (it->second == window) {
            bound_.erase(it);
            break;
        }
    if (window->hwnd() == active_)
        active_ = nullptr;
    if (window->hwnd() == main_) {
        main_ = nullptr;
        mainForm_ = nullptr;
        desktop_.messageOwner = 0;
    }
    windows_.erase(window);
}

void Win32FrontEnd::closeAll()
{
    std::vector<FormWindow*> left;
    for (auto& [raw, owned] : windows_)
        left.push_back(raw);
    for (FormWindow* w : left)
        w->destroyNow();
    bound_.clear();
    // The pop-up menus stop following their models too.
    popups_.clear();
}

void Win32FrontEnd::activated(HWND window, bool active)
{
    if (active)
        active_ = window;
    else if (active_ == window)
        active_ = nullptr;
}

// ---------------------------------------------------------------- menus

void Win32FrontEnd::menuCommand(int id)
{
    if (Menu* item = menuIds_->find(id))
        item->userClick();
}

void Win32FrontEnd::popupMenu(Menu& menu)
{
    if (!main_)
        return;
    auto& binding = popups_[&menu];
    if (!binding)
        binding = std::make_unique<win32::MenuBinding>(menu, win32::MenuBinding::Kind::Popup, *menuIds_);
    // The documented dance for a tray menu: our window must be in the
    // foreground or the menu stays open when the user clicks elsewhere, and a
    // message after it makes the next click work. The choice arrives as
    // WM_COMMAND, like the menu bar's.
    POINT at{};
    GetCursorPos(&at);
    SetForegroundWindow(main_);
    TrackPopupMenu(binding->handle(), TPM_RIGHTBUTTON, at.x, at.y, 0, main_, nullptr);
    PostMessageA(main_, WM_NULL, 0, 0);
}

// ---------------------------------------------------------------- tray icon

bool Win32FrontEnd::addTrayIcon(const std::string& tip)
{
    trayTip_ = tip;
    return addTrayIconAgain();
}

bool Win32FrontEnd::addTrayIconAgain()
{
    if (!main_ || trayTip_.empty())
        return false;
    NOTIFYICONDATAA record = win32::TrayIconRecord(main_, trayIcon(), trayTip_);
    return Shell_NotifyIconA(NIM_ADD, &record) != FALSE;
}

HICON Win32FrontEnd::trayIcon()
{
    if (trayListening_)
        return smallIcon_;
    if (!greyIcon_)
        greyIcon_ = win32::GreyIcon(smallIcon_);
    return greyIcon_ ? greyIcon_ : smallIcon_;
}

void Win32FrontEnd::setTrayListening(bool listening)
{
    trayListening_ = listening;
    if (!main_ || trayTip_.empty())
        return;
    NOTIFYICONDATAA record = win32::TrayIconRecord(main_, trayIcon(), trayTip_);
    Shell_NotifyIconA(NIM_MODIFY, &record);
}

void Win32FrontEnd::minimize(Form& form)
{
    if (form.hWnd)
        ShowWindow(reinterpret_cast<HWND>(form.hWnd), SW_MINIMIZE);
}

void Win32FrontEnd::removeTrayIcon()
{
    if (!main_)
        return;
    NOTIFYICONDATAA record = win32::TrayIconRecord(main_, smallIcon_, trayTip_);
    Shell_NotifyIconA(NIM_DELETE, &record);
    // Removed for good: a restarted taskbar does not get it back.
    trayTip_.clear();
}

bool Win32FrontEnd::mainWindowMessage(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result)
{
    if (hook_ && hook_(msg, wp, lp, result))
        return true;
    if (msg == win32::kTrayCallbackMessage) {
        result = 0;
        if (!mainForm_)
            return true;
        switch (win32::DecodeTrayCallback(lp)) {
        case win32::TrayEvent::RightButtonUp:
            mainForm_->Tray_RightButtonUp();
            break;
        case win32::TrayEvent::LeftDoubleClick:
            mainForm_->Tray_LeftDoubleClick();
            break;
        case win32::TrayEvent::None:
            break;
        }
        return true;
    }
    if (msg == taskbarCreated_ && taskbarCreated_ != 0) {
        addTrayIconAgain();
        result = 0;
        return true;
    }
    return false;
}

// ---------------------------------------------------------------- the loop

void Win32FrontEnd::quit() { PostQuitMessage(0); }

int Win32FrontEnd::run()
{
    MSG msg{};
    for (;;) {
        const BOOL got = GetMessageA(&msg, nullptr, 0, 0);
        if (got == 0 || got == -1)
            break;
        if (msg.message >= WM_MOUSEFIRST && msg.message <= WM_MOUSELAST) {
            if (const FormWindow* form = FormWindow::of(msg.hwnd))
                form->relayToToolTips(msg);
        }
        // Tab, the arrow keys and Enter move between the active form's controls.
        if (active_ && IsDialogMessageA(active_, &msg))
            continue;
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
    return msg.message == WM_QUIT ? static_cast<int>(msg.wParam) : 1;
}

} // namespace qm
