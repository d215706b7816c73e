#include "ControlBindings.h"

#include "Geometry.h"
#include "PackedBitmap.h"
#include "PrivateMessages.h"
#include "ResourceIds.h"

#include <windowsx.h>

#include <algorithm>
#include <vector>

namespace qm::win32 {

// ---------------------------------------------------------------- the base

ControlBinding::~ControlBinding()
{
    detach();
}

void ControlBinding::create(HWND parent, int id, const LayoutContext& layout)
{
    id_ = id;
    const RECT r = ControlRect(layout.form, *model_, layout.dpi);
    DWORD style = WS_CHILD | WS_CLIPSIBLINGS | windowStyle();
    if (model_->Visible())
        style |= WS_VISIBLE;
    if (!model_->Enabled())
        style |= WS_DISABLED;
    hwnd_ = CreateWindowExA(windowExStyle(), windowClass(), model_->Caption().c_str(), style, r.left, r.top,
                            r.right - r.left, r.bottom - r.top + extraHeight(layout.dpi), parent,
                            reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), GetModuleHandleA(nullptr), nullptr);
    SendMessageA(hwnd_, WM_SETFONT, reinterpret_cast<WPARAM>(layout.font), FALSE);
    ++quiet_;
    fill();
    --quiet_;
    model_->setObserver([this](Change c, int index) {
        ++quiet_;
        changed(c, index);
        --quiet_;
    });
}

void ControlBinding::place(const LayoutContext& layout)
{
    if (!model_)
        return;
    const RECT r = ControlRect(layout.form, *model_, layout.dpi);
    SetWindowPos(hwnd_, nullptr, r.left, r.top, r.right - r.left, r.bottom - r.top + extraHeight(layout.dpi),
                 SWP_NOZORDER | SWP_NOACTIVATE);
    SendMessageA(hwnd_, WM_SETFONT, reinterpret_cast<WPARAM>(layout.font), TRUE);
}

void ControlBinding::detach()
{
    if (model_)
        model_->setObserver({});
    model_ = nullptr;
}

void ControlBinding::changed(Change change, int)
{
    switch (change) {
    case Change::Enabled:
        EnableWindow(hwnd_, model_->Enabled());
        break;
    case Change::Visible:
        ShowWindow(hwnd_, model_->Visible() ? SW_SHOWNA : SW_HIDE);
        break;
    case Change::Caption:
        setWindowTextQuietly(model_->Caption());
        break;
    default:
        break;
    }
}

std::string ControlBinding::windowText() const
{
    const int n = GetWindowTextLengthA(hwnd_);
    std::vector<char> buf(static_cast<size_t>(n) + 1, '\0');
    const int got = GetWindowTextA(hwnd_, buf.data(), n + 1);
    return std::string(buf.data(), got > 0 ? static_cast<size_t>(got) : 0);
}

void ControlBinding::setWindowTextQuietly(const std::string& text)
{
    if (windowText() == text)
        return;
    ++quiet_;
    SetWindowTextA(hwnd_, text.c_str());
    --quiet_;
}

void ControlBinding::setEditTextQuietly(const std::string& text, UINT getSelection)
{
    if (windowText() == text)
        return;
    DWORD start = 0, end = 0;
    send(getSelection, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
    setWindowTextQuietly(text);
    const DWORD length = static_cast<DWORD>(text.size());
    start = std::min(start, length);
    end = std::min(end, length);
    if (getSelection == CB_GETEDITSEL)
        send(CB_SETEDITSEL, 0, MAKELPARAM(start, end));
    else
        send(EM_SETSEL, start, end);
}

namespace {

// ---------------------------------------------------------------- list box

class ListBoxBinding : public ControlBinding {
public:
    explicit ListBoxBinding(ListBox& m) : ControlBinding(m), list_(m) {}

    void notified(int code) override
    {
        if (quiet() || !model())
            return;
        if (code == LBN_SELCHANGE)
            list_.userSelect(static_cast<int>(send(LB_GETCURSEL)));
        else if (code == LBN_DBLCLK)
            list_.userDoubleClick();
    }

    void redrawAfterBurst() override
    {
        if (!suspended_)
            return;
        suspended_ = false;
        send(WM_SETREDRAW, TRUE);
        RedrawWindow(hwnd(), nullptr, nullptr, RDW_ERASE | RDW_FRAME | RDW_INVALIDATE | RDW_ALLCHILDREN);
    }

protected:
    const char* windowClass() const override { return "LISTBOX"; }
    // The list is as tall as its form says, not cut to whole rows.
    DWORD windowStyle() const override { return WS_TABSTOP | WS_VSCROLL | LBS_NOTIFY | LBS_NOINTEGRALHEIGHT; }
    DWORD windowExStyle() const override { return WS_EX_CLIENTEDGE; }

    void fill() override
    {
        suspendDrawing();
        send(LB_INITSTORAGE, list_.Items().size(), 0);
        for (const auto& item : list_.Items())
            send(LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(item.c_str()));
        send(LB_SETCURSEL, static_cast<WPARAM>(list_.ListIndex()));
    }

    void changed(Change change, int index) override
    {
        switch (change) {
        case Change::ItemAdded:
            suspendDrawing();
            send(LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(list_.List(index).c_str()));
            break;
        case Change::ItemRemoved:
            send(LB_DELETESTRING, static_cast<WPARAM>(index));
            break;
        case Change::Cleared:
            send(LB_RESETCONTENT);
            break;
        case Change::Items:
            send(LB_RESETCONTENT);
            fill();
            break;
        case Change::Selection:
            // LB_SETCURSEL raises no LBN_SELCHANGE, so this is never taken
            // for the user's choice.
            send(LB_SETCURSEL, static_cast<WPARAM>(index));
            break;
        default:
            ControlBinding::changed(change, index);
        }
    }

private:
    // The store fills a list one item at a time, up to 32,767 of them, and
    // redrawing and recomputing the scroll bar after each would dominate the
    // start-up. Drawing is switched off for the burst and back on when the
    // thread is idle again: a timer, not a posted message, says when, because
    // a modal loop that ends (a message box being answered) may swallow a
    // posted message but a timer fires again.
    void suspendDrawing()
    {
        if (suspended_)
            return;
        suspended_ = true;
        send(WM_SETREDRAW, FALSE);
        SetTimer(GetParent(hwnd()), kRedrawListsTimer, USER_TIMER_MINIMUM, nullptr);
    }

    ListBox& list_;
    bool suspended_ = false;
};

// ---------------------------------------------------------------- simple controls

class LabelBinding : public ControlBinding {
public:
    using ControlBinding::ControlBinding;

protected:
    const char* windowClass() const override { return "STATIC"; }
    // SS_NOPREFIX: captions show as written, an ampersand included.
    DWORD windowStyle() const override { return SS_LEFT | SS_NOPREFIX | SS_NOTIFY; }
};

class FrameBinding : public ControlBinding {
public:
    using ControlBinding::ControlBinding;

protected:
    const char* windowClass() const override { return "BUTTON"; }
    DWORD windowStyle() const override { return BS_GROUPBOX; }
};

class CommandButtonBinding : public ControlBinding {
public:
    explicit CommandButtonBinding(CommandButton& m) : ControlBinding(m), button_(m) {}

    void notified(int code) override
    {
        if (code == BN_CLICKED && model())
            button_.userClick();
    }

protected:
    const char* windowClass() const override { return "BUTTON"; }
    DWORD windowStyle() const override { return WS_TABSTOP | BS_PUSHBUTTON; }

private:
    CommandButton& button_;
};

// Not BS_AUTORADIOBUTTON: the models decide which buttons go together (a
// frame's, or the form's own), and the window only shows Value().
class OptionButtonBinding : public ControlBinding {
public:
    explicit OptionButtonBinding(OptionButton& m) : ControlBinding(m), option_(m) {}

    void notified(int code) override
    {
        if (code == BN_CLICKED && model())
            option_.userClick();
    }

protected:
    const char* windowClass() const override { return "BUTTON"; }
    // Taller than one line of the forms' font (255 twips, the height of every
    // one-line control), a caption wraps onto the lines the button has room for.
    DWORD windowStyle() const override
    {
        return WS_TABSTOP | BS_RADIOBUTTON | (option_.Geometry().height > 255 ? BS_MULTILINE : 0);
    }
    void fill() override { send(BM_SETCHECK, option_.Value() ? BST_CHECKED : BST_UNCHECKED); }
    void changed(Change change, int index) override
    {
        if (change == Change::Checked)
            fill();
        else
            ControlBinding::changed(change, index);
    }

private:
    OptionButton& option_;
};

class TextBoxBinding : public ControlBinding {
public:
    explicit TextBoxBinding(TextBox& m) : ControlBinding(m), text_(m) {}

    void notified(int code) override
    {
        if (code != EN_CHANGE || quiet() || !model())
            return;
        // A text with a line break is refused whole by the model; the window
        // then gets the model's text back.
        if (!text_.userSetText(windowText()) && model())
            fill();
    }

protected:
    const char* windowClass() const override { return "EDIT"; }
    DWORD windowStyle() const override { return WS_TABSTOP | ES_LEFT | ES_AUTOHSCROLL; }
    DWORD windowExStyle() const override { return WS_EX_CLIENTEDGE; }
    // The user's own typing comes back from the model as a change too; the
    // window already shows it and is left alone.
    void fill() override { setEditTextQuietly(text_.Text(), EM_GETSEL); }
    void changed(Change change, int index) override
    {
        if (change == Change::Text)
            fill();
        else
            ControlBinding::changed(change, index);
    }

private:
    TextBox& text_;
};

class ComboBoxBinding : public ControlBinding {
public:
    explicit ComboBoxBinding(ComboBox& m) : ControlBinding(m), combo_(m) {}

    void notified(int code) override
    {
        if (quiet() || !model())
            return;
        if (code == CBN_SELCHANGE) {
            combo_.userSelect(static_cast<int>(send(CB_GETCURSEL)));
        } else if (code == CBN_EDITCHANGE) {
            combo_.userSetText(windowText());
        } else {
            return;
        }
        // A disabled model keeps its state; the window follows it.
        if (model() && windowText() != combo_.Text())
            showModel();
    }

protected:
    const char* windowClass() const override { return "COMBOBOX"; }
    DWORD windowStyle() const override { return WS_TABSTOP | WS_VSCROLL | CBS_DROPDOWN | CBS_AUTOHSCROLL; }
    // The model's height is the edit field's; the window's includes the list
    // that drops down, room for ten rows.
    int extraHeight(int dpi) const override { return TwipsToPixels(10 * 195, dpi); }

    void fill() override
    {
        for (const auto& item : combo_.Items())
            send(CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(item.c_str()));
        showModel();
    }

    void changed(Change change, int index) override
    {
        switch (change) {
        case Change::ItemAdded:
            send(CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(combo_.List(index).c_str()));
            break;
        case Change::Cleared:
        case Change::Items:
            send(CB_RESETCONTENT);
            fill();
            break;
        case Change::Selection:
        case Change::Text:
            showModel();
            break;
        default:
            ControlBinding::changed(change, index);
        }
    }

private:
    // Typing comes back from the model as a change too, and then the window
    // shows the model already: nothing is written, so the caret stays. A
    // typed text that is no item leaves no item selected, and selecting none
    // empties the edit field: the text is put back with the caret where it
    // was. A chosen item shows whole, as the list shows it.
    void showModel()
    {
        DWORD start = 0, end = 0;
        send(CB_GETEDITSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
        const auto want = static_cast<LRESULT>(combo_.ListIndex());
        bool rewritten = false;
        if (send(CB_GETCURSEL) != want) {
            send(CB_SETCURSEL, static_cast<WPARAM>(want));
            rewritten = true;
        }
        if (windowText() != combo_.Text()) {
            setWindowTextQuietly(combo_.Text());
            rewritten = true;
        }
        if (rewritten && want < 0) {
            const auto length = static_cast<DWORD>(combo_.Text().size());
            send(CB_SETEDITSEL, 0, MAKELPARAM(std::min(start, length), std::min(end, length)));
        }
    }

    ComboBox& combo_;
};

// ---------------------------------------------------------------- pictures

class ImageBinding : public ControlBinding {
public:
    explicit ImageBinding(Image& m) : ControlBinding(m), asset_(m.Asset())
    {
        if (asset_ == "about")
            bitmap_ = LoadPackedBitmap(QM_IDB_ABOUT);
    }
    ~ImageBinding() override
    {
        if (bitmap_)
            DeleteObject(bitmap_);
    }

    bool draw(const DRAWITEMSTRUCT& item) override
    {
        FillRect(item.hDC, &item.rcItem, GetSysColorBrush(COLOR_BTNFACE));
        if (asset_ == "indicator")
            DrawIndicator(item.hDC, item.rcItem);
        else if (bitmap_)
            stretchBitmap(item.hDC, item.rcItem);
        return true;
    }

protected:
    const char* windowClass() const override { return "STATIC"; }
    DWORD windowStyle() const override { return SS_OWNERDRAW; }

private:
    void stretchBitmap(HDC dc, const RECT& into) const
    {
        BITMAP info{};
        GetObjectA(bitmap_, sizeof info, &info);
        HDC source = CreateCompatibleDC(dc);
        HGDIOBJ old = SelectObject(source, bitmap_);
        SetStretchBltMode(dc, HALFTONE);
        SetBrushOrgEx(dc, 0, 0, nullptr);
        StretchBlt(dc, into.left, into.top, into.right - into.left, into.bottom - into.top, source, 0, 0, info.bmWidth,
                   info.bmHeight, SRCCOPY);
        SelectObject(source, old);
        DeleteDC(source);
    }

    std::string asset_;
    HBITMAP bitmap_ = nullptr;
};

} // namespace

void DrawIndicator(HDC dc, const RECT& into)
{
    constexpr int kSide = 50, kLeft = 8, kTop = 11, kSquare = 31;
    const int w = into.right - into.left, h = into.bottom - into.top;
    auto x = [&](int px) { return into.left + MulDiv(px, w, kSide); };
    auto y = [&](int px) { return into.top + MulDiv(px, h, kSide); };
    RECT square{x(kLeft), y(kTop), x(kLeft + kSquare), y(kTop + kSquare)};
    // The border is one picture pixel, never thinner than one screen pixel.
    const int bx = std::max(1, MulDiv(1, w, kSide)), by = std::max(1, MulDiv(1, h, kSide));
    HBRUSH black = static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
    FillRect(dc, &square, black);
    RECT inside{square.left + bx, square.top + by, square.right - bx, square.bottom - by};
    if (inside.right > inside.left && inside.bottom > inside.top) {
        HBRUSH blue = CreateSolidBrush(RGB(26, 83, 161));
        FillRect(dc, &inside, blue);
        DeleteObject(blue);
    }
}

std::unique_ptr<ControlBinding> MakeBinding(Control& model)
{
    if (auto* m = dynamic_cast<ListBox*>(&model))
        return std::make_unique<ListBoxBinding>(*m);
    if (auto* m = dynamic_cast<ComboBox*>(&model))
        return std::make_unique<ComboBoxBinding>(*m);
    if (auto* m = dynamic_cast<TextBox*>(&model))
        return std::make_unique<TextBoxBinding>(*m);
    if (auto* m = dynamic_cast<OptionButton*>(&model))
        return std::make_unique<OptionButtonBinding>(*m);
    if (auto* m = dynamic_cast<CommandButton*>(&model))
        return std::make_unique<CommandButtonBinding>(*m);
    if (auto* m = dynamic_cast<Frame*>(&model))
        return std::make_unique<FrameBinding>(*m);
    if (auto* m = dynamic_cast<Label*>(&model))
        return std::make_unique<LabelBinding>(*m);
    if (auto* m = dynamic_cast<Image*>(&model))
        return std::make_unique<ImageBinding>(*m);
    return nullptr;
}

} // namespace qm::win32
