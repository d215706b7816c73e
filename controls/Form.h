#pragma once
// A window's model: caption, frame, client size and position in twips, and
// the controls it holds in tab order. The front end creates one native
// window per form and follows it through the observer.
#include "Control.h"
#include "Controls.h"
#include "DesktopServices.h"
#include "Image.h"

#include <functional>
#include <string>
#include <vector>

namespace qm {

enum class FrameStyle { FixedSingle, FixedSingleMinimize, Sizable };
enum class Placement { CenterScreen, Fixed, SystemDefault };

struct FormStyle {
    std::string caption;
    FrameStyle frame;
    int clientWidth, clientHeight; // twips
    Placement placement;
    int left = 0, top = 0;         // twips, screen coordinates of the client area, for Fixed
    bool topmost = false;
};

class Form : public Control {
public:
    Form(std::string name, FormStyle style);

    const FormStyle& Style() const { return style_; }

    // Every control of the form, in reading order; containers before their contents.
    const std::vector<Control*>& Controls() const { return controls_; }
    // The container a control sits in: the form itself (empty) or a frame's name.
    const std::string& ContainerOf(const Control& c) const;

    // Showing a window that already shows brings it back to the front,
    // restored if it was minimised.
    void Show()
    {
        if (Visible())
            notify(Change::Visible);
        else
            setVisible(true);
    }
    void Hide() { setVisible(false); }

    // The native window, once a front end made one.
    NativeHandle hWnd = 0;

    // Raised by the front end when the user closes the window from its frame.
    std::function<void()> QueryClose;
    void userClose() { if (QueryClose) QueryClose(); }

protected:
    template <typename T>
    T& own(T& c, std::string container = {})
    {
        controls_.push_back(&c);
        containers_.push_back(std::move(container));
        return c;
    }
    // Wires option buttons so a choice clears the others of its container.
    void groupOptionButtons();

private:
    FormStyle style_;
    std::vector<Control*> controls_;
    std::vector<std::string> containers_;
};

} // namespace qm
