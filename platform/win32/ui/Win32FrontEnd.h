#pragma once
// The Windows front end: one top-level window per form model, menus built from
// code, the tray icon and the message loop.
#include "FrontEnd.h"
#include "Win32Desktop.h"

#include <windows.h>

#include <functional>
#include <map>
#include <memory>
#include <string>

namespace qm {

class Form1;

namespace win32 {
class FormWindow;
class MenuBinding;
class MenuIds;
} // namespace win32

class Win32FrontEnd : public FrontEnd {
public:
    // The desktop's message boxes get the main window as their owner.
    Win32FrontEnd(HINSTANCE instance, Win32Desktop& desktop);
    ~Win32FrontEnd() override;
    Win32FrontEnd(const Win32FrontEnd&) = delete;
    Win32FrontEnd& operator=(const Win32FrontEnd&) = delete;

    void bind(Form& form) override;
    void unbind(Form& form) override;
    void popupMenu(Menu& menu) override;
    bool addTrayIcon(const std::string& tip) override;
    void removeTrayIcon() override;
    void setTrayListening(bool listening) override;
    void minimize(Form& form) override;
    void quit() override;

    // Runs the message loop until quit(); returns the exit code.
    int run();
    // Destroys every window and menu that is left. Call it while the models
    // still exist: the bindings stop following them. The destructor calls it
    // again, which then finds nothing left.
    void closeAll();

    // Another handler for the main window's messages, asked before the
    // window's own; it returns true and sets the result when it took one.
    using MessageHook = std::function<bool(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result)>;
    void setMainWindowHook(MessageHook hook) { hook_ = std::move(hook); }
    HWND mainWindow() const { return main_; }

    // For the form windows.
    HINSTANCE instance() const { return instance_; }
    HICON icon(bool big) const { return big ? bigIcon_ : smallIcon_; }
    win32::MenuIds& menuIds() { return *menuIds_; }
    void menuCommand(int id);
    // The main window's own messages: the tray's, the taskbar's restart and
    // the hook's. False when the message is not one of them.
    bool mainWindowMessage(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result);
    void activated(HWND window, bool active);
    void released(win32::FormWindow* window);

private:
    // Adds the icon with the tip last given, unless it was removed.
    bool addTrayIconAgain();

    HINSTANCE instance_;
    Win32Desktop& desktop_;
    std::unique_ptr<win32::MenuIds> menuIds_;
    std::map<Form*, win32::FormWindow*> bound_;
    std::map<win32::FormWindow*, std::unique_ptr<win32::FormWindow>> windows_;
    std::map<Menu*, std::unique_ptr<win32::MenuBinding>> popups_;
    Form1* mainForm_ = nullptr;
    HWND main_ = nullptr;
    HWND active_ = nullptr;
    HICON bigIcon_ = nullptr;
    HICON smallIcon_ = nullptr;
    HICON greyIcon_ = nullptr; // made on first need
    bool trayListening_ = true;
    HICON trayIcon();
    UINT taskbarCreated_ = 0;
    std::string trayTip_;
    MessageHook hook_;
};

} // namespace qm
