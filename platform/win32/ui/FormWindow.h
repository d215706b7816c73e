#pragma once
// A form model as a top-level window. Its window procedure only routes each
// message to a named member; the members turn them into model input.
#include "ControlBindings.h"
#include "Form.h"
#include "MenuBinding.h"

#include <windows.h>

#include <memory>
#include <vector>

namespace qm {
class Win32FrontEnd;
}

namespace qm::win32 {

class FormWindow {
public:
    static constexpr const char* kWindowClass = "QuillmereForm";
    // Registers the window class once per process.
    static void registerClass(HINSTANCE instance, HICON big, HICON small);

    // menuBar may be null. The window is made hidden, sized and placed.
    FormWindow(Win32FrontEnd& frontEnd, Form& form, Menu* menuBar);
    ~FormWindow();
    FormWindow(const FormWindow&) = delete;
    FormWindow& operator=(const FormWindow&) = delete;

    HWND hwnd() const { return hwnd_; }
    // Null once unbound.
    Form* form() const { return form_; }

    // Stops following the models and asks for the window's destruction, which
    // happens once no handler of this window is running any more.
    void unbind();
    // Destroys the window now; for the end of the program.
    void destroyNow();

    // The form window a window belongs to, itself or as a control; or null.
    static FormWindow* of(HWND window);
    // Hands a pointer message for one of the form's controls to its tips.
    void relayToToolTips(const MSG& msg) const;

private:
    static LRESULT CALLBACK procedure(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);
    LRESULT route(UINT msg, WPARAM wp, LPARAM lp);

    void onCommand(WPARAM wp, LPARAM lp);
    void onClose();
    LRESULT onDrawItem(const DRAWITEMSTRUCT& item);
    void onActivate(WPARAM wp);
    void onRedrawLists();
    void onDestroyRequested();
    void onDpiChanged(int dpi, const RECT& suggested);
    void onNcDestroy();

    void createControls();
    void createToolTips();
    // The DPI to lay the form out at on a monitor of this DPI: the monitor's,
    // or less where the window would not fit its work area.
    void fitToMonitor(int monitorDpi);
    void sizeWindow(bool move);
    // Where the placement left a part of the window off its monitor's work
    // area, the window moves onto it.
    void moveOntoWorkArea();
    void layoutControls();
    void makeFont();
    void modelChanged(Change change);
    void centreOnScreen();
    ControlBinding* bindingById(int id) const;
    void detachModels();

    Win32FrontEnd& frontEnd_;
    Form* form_;
    HWND hwnd_ = nullptr;
    DWORD style_ = 0;
    DWORD exStyle_ = 0;
    // The monitor's DPI, at which the system draws the frame, and the DPI the
    // form is laid out at, the same unless the window would not fit.
    int monitorDpi_ = USER_DEFAULT_SCREEN_DPI;
    int dpi_ = USER_DEFAULT_SCREEN_DPI;
    HFONT font_ = nullptr;
    HWND toolTips_ = nullptr;
    std::unique_ptr<MenuBinding> menu_;
    std::vector<std::unique_ptr<ControlBinding>> controls_;
    bool shownBefore_ = false;
    // Handlers of this window on the stack; destruction waits for zero.
    int depth_ = 0;
    bool destroyPending_ = false;
    bool destroyed_ = false;
};

} // namespace qm::win32
