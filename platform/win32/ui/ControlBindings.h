#pragma once
// One native child window per control model. Model changes reach the window
// through the model's observer; the window's notifications go back into the
// model as user input (userSelect, userClick, userSetText ...), which raises
// the form's handlers.
#include "Controls.h"
#include "Form.h"
#include "Image.h"

#include <windows.h>

#include <memory>
#include <string>

namespace qm::win32 {

// What every control of a form shares while it is laid out.
struct LayoutContext {
    const Form& form;
    int dpi;
    HFONT font;
};

class ControlBinding {
public:
    explicit ControlBinding(Control& model) : model_(&model) {}
    virtual ~ControlBinding();
    ControlBinding(const ControlBinding&) = delete;
    ControlBinding& operator=(const ControlBinding&) = delete;

    // Makes the child window with the model's state and starts following it.
    void create(HWND parent, int id, const LayoutContext& layout);
    // Moves and sizes the window for a (new) DPI and sets the form's font.
    void place(const LayoutContext& layout);
    // Stops following the model; notifications from the window are ignored
    // from then on. The model may be destroyed before the window.
    void detach();

    HWND hwnd() const { return hwnd_; }
    int id() const { return id_; }
    // Null once detached.
    Control* model() const { return model_; }

    // WM_COMMAND from the window, with its notification code.
    virtual void notified(int code) { (void)code; }
    // WM_DRAWITEM for owner-drawn windows; false when not ours to draw.
    virtual bool draw(const DRAWITEMSTRUCT&) { return false; }
    // The thread is idle again after a burst of changes.
    virtual void redrawAfterBurst() {}

protected:
    virtual const char* windowClass() const = 0;
    virtual DWORD windowStyle() const = 0;
    virtual DWORD windowExStyle() const { return 0; }
    // The model's content that is not in the window's creation parameters.
    virtual void fill() {}
    // A model change; the base handles what every control has.
    virtual void changed(Change change, int index);
    // Some windows (the editable drop-down list) are taller than their model.
    virtual int extraHeight(int dpi) const { (void)dpi; return 0; }

    LRESULT send(UINT msg, WPARAM wp = 0, LPARAM lp = 0) const { return SendMessageA(hwnd_, msg, wp, lp); }
    // The window's text, however long.
    std::string windowText() const;
    // Sets the window's text without reporting it back as user input; a
    // window that shows the text already is left alone.
    void setWindowTextQuietly(const std::string& text);
    // The same for an edit field, whose caret and selection stay where they
    // were (as far as the new text reaches): writing the text back puts the
    // caret at the start, and the next key typed would land in front.
    // getSelection is EM_GETSEL or CB_GETEDITSEL.
    void setEditTextQuietly(const std::string& text, UINT getSelection);
    bool quiet() const { return quiet_ > 0; }

private:
    Control* model_;
    HWND hwnd_ = nullptr;
    int id_ = 0;
    int quiet_ = 0;
};

// The binding for a model, by its type; nullptr for a model it does not know.
std::unique_ptr<ControlBinding> MakeBinding(Control& model);

// Draws the recognition indicator: a 50 x 50 picture, transparent but for a
// 31 x 31 square at (8, 11) in RGB(26, 83, 161) with a one-pixel black
// border, stretched to the rectangle.
void DrawIndicator(HDC dc, const RECT& into);

} // namespace qm::win32
