// The Win32 front end inside one process: the real windows of the four forms
// over their models, with the desktop, recognizer and player faked. Message
// boxes are recorded by the fake desktop, so nothing here waits for a user.
#include "FakeBackends.h"
#include "ControlBindings.h"
#include "FakeDesktop.h"
#include "Form1.h"
#include "Form2.h"
#include "Form3.h"
#include "Form4.h"
#include "Geometry.h"
#include "ResourceIds.h"
#include "ScriptedRecognizer.h"
#include "TestFolder.h"
#include "TrayIcon.h"
#include "Win32Desktop.h"
#include "Win32FrontEnd.h"
#include "WindowSet.h"

#include <gtest/gtest.h>

#include <commctrl.h>

#include <algorithm>
#include <cstring>
#include <vector>

using namespace qm;
using namespace qm::win32;

namespace {

const std::string kHeader = "[Grammer]\r\ntype=cfg\r\n[<start>]\r\n";
const UINT kTrayCallback = WM_APP + 1;

HWND hwndOf(const Form& f) { return reinterpret_cast<HWND>(f.hWnd); }

std::string windowText(HWND w)
{
    char buf[1024] = {};
    GetWindowTextA(w, buf, sizeof buf);
    return buf;
}

std::vector<std::string> listItems(HWND list)
{
    std::vector<std::string> out;
    const auto n = static_cast<int>(SendMessageA(list, LB_GETCOUNT, 0, 0));
    for (int i = 0; i < n; ++i) {
        char buf[1024] = {};
        SendMessageA(list, LB_GETTEXT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(buf));
        out.emplace_back(buf);
    }
    return out;
}

std::vector<std::string> menuCaptions(HMENU menu)
{
    std::vector<std::string> out;
    for (int i = 0; i < GetMenuItemCount(menu); ++i) {
        char buf[256] = {};
        GetMenuStringA(menu, static_cast<UINT>(i), buf, sizeof buf, MF_BYPOSITION);
        out.emplace_back(buf);
    }
    return out;
}

// Runs what was posted, so deferred work (a window's destruction) is done.
void pump()
{
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
}

// The fake desktop, but windows asked to stay on top do.
struct Desktop : FakeDesktop {
    using FakeDesktop::FakeDesktop;
    void makeTopmost(NativeHandle window) override
    {
        FakeDesktop::makeTopmost(window);
        SetWindowPos(reinterpret_cast<HWND>(window), HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
    }
};

// The four windows over a store of three entries.
struct App {
    test::TestFolder dir;
    Desktop desktop{dir.dir()};
    Win32Desktop unusedDesktop; // the front end's owner of message boxes
    Win32FrontEnd frontEnd{GetModuleHandleA(nullptr), unusedDesktop};
    ScriptedRecognizer sr;
    FakePlayer player;
    FakeSession session;
    WindowSet set{{desktop, frontEnd, sr, player, session}};

    App()
    {
        dir.write("words.txt", kHeader + "<start>=open notes\r\n<start>=next\r\n<start>=say hi\r\n\r\n");
        dir.write("dirs.txt", "C:\\Tools\\notes.exe\r\n\r\nString holder\r\n\r\nHello there\r\n\r\n");
        dir.write("desc.txt", "Open\r\n\r\nNext Track\r\n\r\nMessage Prompt\r\n\r\n");
        EXPECT_TRUE(set.start());
        pump();
    }
    ~App()
    {
        // The windows go while their models exist.
        frontEnd.closeAll();
    }

    Form1& f1() { return set.form1(); }
    Form2& f2() { return set.form2(); }
    Form3& f3() { return set.form3(); }
    HWND main() { return hwndOf(f1()); }
    // The native window of a control: the child whose id is the control's.
    HWND native(const Form& form, const Control& c)
    {
        for (HWND w = GetWindow(hwndOf(form), GW_CHILD); w; w = GetWindow(w, GW_HWNDNEXT)) {
            // A lookup only: where the controls lie is asserted with literal
            // pixels in the Geometry tests.
            RECT want = ControlRect(form, c, WindowDpi(hwndOf(form)));
            RECT got{};
            GetWindowRect(w, &got);
            MapWindowPoints(nullptr, hwndOf(form), reinterpret_cast<POINT*>(&got), 2);
            if (got.left == want.left && got.top == want.top && got.right - got.left == want.right - want.left)
                return w;
        }
        return nullptr;
    }
    // What the control would report to its window.
    void notify(const Form& form, HWND control, int code)
    {
        SendMessageA(hwndOf(form), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(control), code), reinterpret_cast<LPARAM>(control));
    }
};

} // namespace

// ---------------------------------------------------------------- geometry

TEST(Geometry, TwipsBecomePixelsAtTheWindowsDpi)
{
    struct Case {
        int twips, dpi, pixels;
    } cases[] = {
        {1440, 96, 96}, {15, 96, 1},   {9825, 96, 655}, {9825, 120, 819}, {9825, 144, 983},
        {7, 96, 0},     {8, 96, 1},    {-360, 96, -24}, {-8, 96, -1},     {0, 192, 0},
    };
    for (const auto& c : cases)
        EXPECT_EQ(TwipsToPixels(c.twips, c.dpi), c.pixels) << c.twips << " twips at " << c.dpi << " DPI";
}

// A window too large for the work area at the monitor's DPI is laid out at
// the largest DPI at which it fits; one that fits keeps the monitor's.
TEST(Geometry, AFormIsLaidOutAtTheLargestDpiThatFits)
{
    const RECT frame{-3, -22, 3, 3}; // 6 pixels wider, 25 taller than the client area
    const RECT screen{0, 0, 1366, 768};
    struct Case {
        int dpi, widthTwips, heightTwips;
        RECT area;
        int fitting;
    } cases[] = {
        {96, 5115, 5820, screen, 96},    // 341 x 388
        {192, 9825, 2055, screen, 192},  // 1310 x 274
        {192, 5115, 5820, screen, 183},  // 742 tall fits 768 - 25; at 184 DPI, 744 does not
        {144, 5115, 5820, {0, 0, 1024, 600}, 142}, // 574 fits 575; at 143 DPI, 578 does not
        {96, 90000, 2000, screen, 21},   // limited by the width
        {96, 90000, 90000, {0, 0, 4, 4}, 1},
    };
    for (const auto& c : cases)
        EXPECT_EQ(FittingDpi(c.dpi, c.widthTwips, c.heightTwips, frame, c.area), c.fitting)
            << c.widthTwips << " x " << c.heightTwips << " twips at " << c.dpi << " DPI";
}

TEST(Geometry, AWindowMovesOntoTheWorkAreaTheLeastWay)
{
    const RECT area{0, 0, 1366, 728};
    struct Case {
        RECT window, moved;
    } cases[] = {
        {{100, 100, 400, 300}, {100, 100, 400, 300}},      // inside: stays
        {{1200, 600, 1500, 900}, {1066, 428, 1366, 728}},  // off the right and the bottom
        {{-50, -20, 250, 180}, {0, 0, 300, 200}},          // off the left and the top
        {{300, 0, 1900, 900}, {0, 0, 1600, 900}},          // larger: left and top edges on the area's
    };
    for (const auto& c : cases) {
        const RECT got = MovedOnto(c.window, area);
        EXPECT_TRUE(EqualRect(&got, &c.moved)) << "(" << c.window.left << ", " << c.window.top << ") went to ("
                                               << got.left << ", " << got.top << ")";
    }
}

// A form's child window with exactly this rectangle in its client area, or null.
HWND childAt(HWND form, const RECT& want)
{
    for (HWND w = GetWindow(form, GW_CHILD); w; w = GetWindow(w, GW_HWNDNEXT)) {
        RECT r{};
        GetWindowRect(w, &r);
        MapWindowPoints(nullptr, form, reinterpret_cast<POINT*>(&r), 2);
        if (EqualRect(&r, &want))
            return w;
    }
    return nullptr;
}

// At 96 DPI, 15 twips to the pixel: every control where its form puts it,
// those in a frame from the frame's corner, the lists as tall as given
// rather than cut to whole rows.
TEST(Geometry, ControlsLieWhereTheirFormsPutThem)
{
    App app;
    app.f1().mnu_about_Click();
    struct Case {
        Form* form;
        const char* what;
        RECT rect; // left, top, right, bottom in client pixels
    } cases[] = {
        {&app.f1(), "main List1", {0, 16, 209, 98}},
        {&app.f1(), "main List3", {224, 16, 321, 98}},
        {&app.f1(), "main List2", {328, 16, 649, 98}},
        {&app.f1(), "main Exit", {560, 112, 649, 133}},
        {&app.f2(), "word list List1", {8, 16, 177, 137}},
        {&app.f2(), "word list List3", {272, 16, 569, 137}},
        {&app.f2(), "word list Delete", {8, 152, 89, 177}},
        {&app.f3(), "add Option2, in Frame1 at (8, 64)", {24, 88, 97, 105}},
        {&app.f3(), "add Option8, in Frame2 at (8, 128)", {24, 176, 105, 209}},
        {&app.f3(), "add Option1, on the form", {72, 224, 129, 241}},
        {&app.f3(), "add Text3", {8, 280, 241, 299}},
        {&app.set.form4(), "About picture", {0, 8, 144, 96}},
        {&app.set.form4(), "About label", {152, 8, 433, 105}},
    };
    for (const auto& c : cases) {
        ASSERT_EQ(WindowDpi(hwndOf(*c.form)), 96);
        EXPECT_NE(childAt(hwndOf(*c.form), c.rect), nullptr)
            << c.what << " at (" << c.rect.left << ", " << c.rect.top << ")-(" << c.rect.right << ", " << c.rect.bottom
            << ")";
    }
}

TEST(Geometry, ClientAreasAndPlacesFollowTheForms)
{
    App app;
    app.f2().Show();
    struct Case {
        Form* form;
        LONG width, height;
    } cases[] = {{&app.f1(), 655, 137}, {&app.f2(), 583, 183}, {&app.f3(), 341, 388}};
    for (const auto& c : cases) {
        ASSERT_EQ(WindowDpi(hwndOf(*c.form)), 96);
        RECT client{};
        GetClientRect(hwndOf(*c.form), &client);
        EXPECT_EQ(client.right, c.width) << c.form->Name();
        EXPECT_EQ(client.bottom, c.height) << c.form->Name();
    }
    // The word list window's client area starts at (3015, 2730) twips.
    POINT origin{0, 0};
    ClientToScreen(hwndOf(app.f2()), &origin);
    EXPECT_EQ(origin.x, 201);
    EXPECT_EQ(origin.y, 182);
    // The main window was centred when it first showed.
    RECT outer{};
    GetWindowRect(app.main(), &outer);
    MONITORINFO m{};
    m.cbSize = sizeof m;
    GetMonitorInfoA(MonitorFromWindow(app.main(), MONITOR_DEFAULTTOPRIMARY), &m);
    EXPECT_LE(std::abs((outer.left + outer.right) - (m.rcWork.left + m.rcWork.right)), 1);
    EXPECT_LE(std::abs((outer.top + outer.bottom) - (m.rcWork.top + m.rcWork.bottom)), 1);
}

TEST(Geometry, FrameStylesMatchTheForms)
{
    App app;
    app.f1().mnu_about_Click();
    struct Case {
        Form* form;
        LONG on, off;
    } cases[] = {
        {&app.f1(), WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX, WS_THICKFRAME | WS_MAXIMIZEBOX},
        {&app.f2(), WS_CAPTION | WS_SYSMENU, WS_THICKFRAME | WS_MINIMIZEBOX | WS_MAXIMIZEBOX},
        {&app.f3(), WS_CAPTION | WS_SYSMENU, WS_THICKFRAME | WS_MINIMIZEBOX | WS_MAXIMIZEBOX},
        {&app.set.form4(), WS_OVERLAPPEDWINDOW, 0},
    };
    for (const auto& c : cases) {
        const LONG style = GetWindowLongA(hwndOf(*c.form), GWL_STYLE);
        EXPECT_EQ(style & c.on, c.on) << c.form->Name();
        EXPECT_EQ(style & c.off, 0) << c.form->Name();
    }
}

// ---------------------------------------------------------------- the tray

TEST(TrayIcon, TheRecordIsTheFirstLayoutWithABlankPaddedTip)
{
    HWND w = reinterpret_cast<HWND>(0x1234);
    HICON icon = reinterpret_cast<HICON>(0x5678);
    NOTIFYICONDATAA r = TrayIconRecord(w, icon, "Quillmere Voice Vuredizara");
    EXPECT_EQ(r.cbSize, sizeof(void*) == 4 ? 88u : 104u);  // 64-bit handles in the 64-bit build
    EXPECT_EQ(r.hWnd, w);
    EXPECT_EQ(r.uID, 1u);
    EXPECT_EQ(r.uFlags, 7u);
    EXPECT_EQ(r.uCallbackMessage, static_cast<UINT>(WM_APP + 1));
    EXPECT_EQ(r.hIcon, icon);
    const std::string tip(r.szTip, 64);
    EXPECT_EQ(tip, std::string("Quillmere Voice Vuredizara") + '\0' + std::string(64 - 27, ' '));

    // A tip longer than the field keeps its first 63 bytes and the NUL.
    NOTIFYICONDATAA longer = TrayIconRecord(w, icon, std::string(80, 'x'));
    EXPECT_EQ(std::string(longer.szTip, 64), std::string(63, 'x') + '\0');
}

TEST(TrayIcon, OnlyTheRightButtonAndTheDoubleClickMeanSomething)
{
    struct Case {
        UINT mouse;
        TrayEvent event;
    } cases[] = {
        {WM_RBUTTONUP, TrayEvent::RightButtonUp}, {WM_LBUTTONDBLCLK, TrayEvent::LeftDoubleClick},
        {WM_MOUSEMOVE, TrayEvent::None},          {WM_LBUTTONUP, TrayEvent::None},
        {WM_RBUTTONDOWN, TrayEvent::None},        {WM_RBUTTONDBLCLK, TrayEvent::None},
    };
    for (const auto& c : cases)
        EXPECT_EQ(DecodeTrayCallback(c.mouse), c.event) << c.mouse;
}

// The pixels of an icon's colour image, 32 bits each (B, G, R, A).
std::vector<BYTE> iconPixels(HICON icon, int& width)
{
    ICONINFO info{};
    if (!GetIconInfo(icon, &info))
        return {};
    BITMAP bm{};
    GetObjectA(info.hbmColor, sizeof bm, &bm);
    BITMAPINFO bi{};
    bi.bmiHeader = {sizeof bi.bmiHeader, bm.bmWidth, -bm.bmHeight, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    std::vector<BYTE> pixels(static_cast<size_t>(bm.bmWidth) * bm.bmHeight * 4);
    HDC dc = GetDC(nullptr);
    GetDIBits(dc, info.hbmColor, 0, bm.bmHeight, pixels.data(), &bi, DIB_RGB_COLORS);
    ReleaseDC(nullptr, dc);
    DeleteObject(info.hbmColor);
    DeleteObject(info.hbmMask);
    width = bm.bmWidth;
    return pixels;
}

TEST(TrayIcon, NotListeningIsTheSameIconInGrey)
{
    HICON icon =
        static_cast<HICON>(LoadImageA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(QM_IDI_PROGRAM), IMAGE_ICON, 16, 16, 0));
    ASSERT_NE(icon, nullptr) << "the test carries the program's icon";
    HICON grey = GreyIcon(icon);
    ASSERT_NE(grey, nullptr);
    int width = 0, greyWidth = 0;
    const std::vector<BYTE> before = iconPixels(icon, width);
    const std::vector<BYTE> after = iconPixels(grey, greyWidth);
    ASSERT_EQ(after.size(), before.size());
    EXPECT_EQ(greyWidth, width);
    int coloured = 0;
    for (size_t i = 0; i + 3 < before.size(); i += 4) {
        coloured += before[i] != before[i + 1] || before[i + 1] != before[i + 2];
        EXPECT_TRUE(after[i] == after[i + 1] && after[i + 1] == after[i + 2]) << "pixel " << i / 4 << " has a colour";
        EXPECT_EQ(after[i + 3], before[i + 3]) << "pixel " << i / 4 << " changed its alpha";
    }
    EXPECT_GT(coloured, 0) << "the icon tried should have colours to lose";
    DestroyIcon(grey);
}

namespace {

// What the timer below found in the open pop-up menu, and whom it answers.
struct {
    HWND owner;
    std::vector<std::string> items;
} g_popup;

void CALLBACK readPopupThenShow(HWND, UINT, UINT_PTR id, DWORD)
{
    HWND menu = FindWindowA("#32768", nullptr);
    if (!menu || !IsWindowVisible(menu))
        return;
    KillTimer(nullptr, id);
    g_popup.items = menuCaptions(reinterpret_cast<HMENU>(SendMessageA(menu, 0x01E1 /* MN_GETHMENU */, 0, 0)));
    for (WPARAM key : {VK_DOWN, VK_DOWN, VK_RETURN})
        PostMessageA(g_popup.owner, WM_KEYDOWN, key, 1);
}

} // namespace

TEST(TrayIcon, TheMainWindowRoutesItsCallback)
{
    App app;
    SendMessageA(app.main(), kTrayCallback, 1, WM_MOUSEMOVE);
    SendMessageA(app.main(), WM_MOUSEMOVE, 0, MAKELPARAM(5, 5));
    EXPECT_TRUE(app.desktop.messages.empty());
    SendMessageA(app.main(), kTrayCallback, 1, WM_LBUTTONDBLCLK);
    EXPECT_EQ(app.desktop.messages, std::vector<std::string>{"Dbl Click in the systray needs event"});

    // The right button opens the pop-up menu; a timer, which the menu's own
    // loop serves, reads its items while it is open and then picks the
    // second, Show, with Down twice and Enter.
    app.f1().mnu_hide_Click();
    ASSERT_FALSE(IsWindowVisible(app.main()));
    g_popup = {app.main(), {}};
    const UINT_PTR timer = SetTimer(nullptr, 0, 20, &readPopupThenShow);
    SendMessageA(app.main(), kTrayCallback, 1, WM_RBUTTONUP);
    KillTimer(nullptr, timer);
    pump();
    EXPECT_EQ(g_popup.items, (std::vector<std::string>{"Hide", "Show", "Disable", "Enable", "About"}));
    EXPECT_TRUE(app.f1().Visible());
    EXPECT_TRUE(IsWindowVisible(app.main()));
    EXPECT_FALSE(IsWindowVisible(hwndOf(app.f2())));
}

// ---------------------------------------------------------------- forms and menus

TEST(Forms, CaptionsAndMenusAreExact)
{
    App app;
    EXPECT_EQ(windowText(app.main()), "Quillmere Voice Vuredizara Program");
    EXPECT_EQ(windowText(hwndOf(app.f2())), "Words/Phrases List");
    EXPECT_EQ(windowText(hwndOf(app.f3())), "Add Word/Phrase");
    HMENU bar = GetMenu(app.main());
    EXPECT_EQ(menuCaptions(bar), (std::vector<std::string>{"File", "Help"}));
    EXPECT_EQ(menuCaptions(GetSubMenu(bar, 0)),
              (std::vector<std::string>{"Add New Word/Phrase", "Edit Word List", "Hide",
                                        "Disable Quillmere Voice Vuredizara Program", "Exit"}));
    EXPECT_EQ(menuCaptions(GetSubMenu(bar, 1)), std::vector<std::string>{"About"});
    EXPECT_EQ(GetMenu(hwndOf(app.f2())), nullptr);

    struct Case {
        Form* form;
        Control* control;
        const char* caption;
    } cases[] = {
        {&app.f1(), &app.f1().Label5, "File\\Message"}, {&app.f1(), &app.f1().Command5, "Exit"},
        {&app.f2(), &app.f2().Command2, "Delete"},      {&app.f2(), &app.f2().Command1, "Close"},
        {&app.f3(), &app.f3().Frame1, "Sytem Commands"}, {&app.f3(), &app.f3().Option9, "Hide The program"},
        {&app.f3(), &app.f3().Label1, "Word/Phrase:"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(windowText(app.native(*c.form, *c.control)), c.caption) << c.control->Name();
}

TEST(Forms, AMenuItemRunsItsHandler)
{
    App app;
    HMENU file = GetSubMenu(GetMenu(app.main()), 0);
    SendMessageA(app.main(), WM_COMMAND, GetMenuItemID(file, 1), 0); // Edit Word List
    EXPECT_TRUE(IsWindowVisible(hwndOf(app.f2())));
    SendMessageA(app.main(), WM_COMMAND, GetMenuItemID(file, 2), 0); // Hide
    EXPECT_FALSE(IsWindowVisible(app.main()));
    EXPECT_FALSE(IsWindowVisible(hwndOf(app.f2())));
    EXPECT_TRUE(app.set.form4Loaded());
}

TEST(Forms, ClosingFromTheFrameAsksTheForm)
{
    App app;
    app.f2().Show();
    SendMessageA(hwndOf(app.f2()), WM_CLOSE, 0, 0);
    EXPECT_TRUE(IsWindow(hwndOf(app.f2())));
    EXPECT_FALSE(IsWindowVisible(hwndOf(app.f2())));

    app.f1().mnu_about_Click();
    HWND about = hwndOf(app.set.form4());
    ASSERT_TRUE(IsWindowVisible(about));
    SendMessageA(about, WM_CLOSE, 0, 0);
    pump();
    EXPECT_FALSE(app.set.form4Loaded());
    EXPECT_FALSE(IsWindow(about));
}

// The add window's Close unloads it from inside its own click: the window
// outlives the click and goes afterwards; the next load gets a new one.
TEST(Forms, UnloadingFromItsOwnButtonDestroysTheWindowAfterwards)
{
    App app;
    app.f1().mnu_addnewword_Click();
    HWND old = hwndOf(app.f3());
    HWND close = app.native(app.f3(), app.f3().Command2);
    ASSERT_NE(close, nullptr);
    SendMessageA(close, BM_CLICK, 0, 0);
    pump();
    EXPECT_FALSE(app.set.form3Loaded());
    EXPECT_FALSE(IsWindow(old));
    app.f1().mnu_addnewword_Click();
    EXPECT_NE(hwndOf(app.f3()), old);
    EXPECT_TRUE(IsWindowVisible(hwndOf(app.f3())));
}

// The dialog manager passes over option buttons that are not chosen, so with
// none chosen Tab runs through the boxes and buttons by TabIndex and round.
TEST(Forms, TabOrderFollowsTabIndex)
{
    App app;
    Form3& f = app.f3();
    app.f1().mnu_addnewword_Click();
    HWND form = hwndOf(f);
    const std::vector<Control*> order = {&f.Text1, &f.Text3, &f.Command1, &f.Command2, &f.Command3, &f.Combo1, &f.Text1};
    for (size_t i = 0; i + 1 < order.size(); ++i) {
        HWND next = GetNextDlgTabItem(form, app.native(f, *order[i]), FALSE);
        EXPECT_EQ(next, app.native(f, *order[i + 1])) << "after " << order[i]->Name() << " came \"" << windowText(next) << "\"";
    }
}

// Where two labels overlap, the later one is drawn on top, as the form has them.
TEST(Forms, LaterControlsAreOnTopWhereTheyOverlap)
{
    App app;
    RECT command{}, file{};
    GetWindowRect(app.native(app.f1(), app.f1().Label3), &command);
    GetWindowRect(app.native(app.f1(), app.f1().Label5), &file);
    ASSERT_LT(file.left, command.right) << "the two labels overlap";
    POINT inBoth{file.left + 1, file.top + 2};
    ScreenToClient(app.main(), &inBoth);
    EXPECT_EQ(ChildWindowFromPointEx(app.main(), inBoth, CWP_SKIPINVISIBLE), app.native(app.f1(), app.f1().Label5));
}

// ---------------------------------------------------------------- controls

TEST(Controls, ListBoxesFollowTheirModels)
{
    App app;
    Form1& f = app.f1();
    HWND phrases = app.native(f, f.List1);
    EXPECT_EQ(listItems(phrases), (std::vector<std::string>{"open notes", "next", "say hi"}));
    EXPECT_EQ(listItems(app.native(f, f.List3)), (std::vector<std::string>{"Open", "Next Track", "Message Prompt"}));
    EXPECT_EQ(listItems(app.native(app.f2(), app.f2().List3)),
              (std::vector<std::string>{"notes.exe", "String holder", "Hello there"}));

    f.List1.AddItem("added");
    f.List1.setListIndex(3);
    EXPECT_EQ(listItems(phrases).back(), "added");
    EXPECT_EQ(SendMessageA(phrases, LB_GETCURSEL, 0, 0), 3);
    f.List1.RemoveItem(1);
    EXPECT_EQ(listItems(phrases), (std::vector<std::string>{"open notes", "say hi", "added"}));
    EXPECT_EQ(SendMessageA(phrases, LB_GETCURSEL, 0, 0), 2);
    f.List1.Clear();
    EXPECT_EQ(SendMessageA(phrases, LB_GETCOUNT, 0, 0), 0);
}

TEST(Controls, PickingARowGoesIntoTheModelAndTheWordListMirrorsIt)
{
    App app;
    Form2& f = app.f2();
    HWND kinds = app.native(f, f.List2);
    SendMessageA(kinds, LB_SETCURSEL, 2, 0);
    app.notify(f, kinds, LBN_SELCHANGE);
    EXPECT_EQ(f.List2.ListIndex(), 2);
    EXPECT_EQ(SendMessageA(app.native(f, f.List1), LB_GETCURSEL, 0, 0), 2);
    EXPECT_EQ(SendMessageA(app.native(f, f.List3), LB_GETCURSEL, 0, 0), 2);

    app.notify(f, kinds, LBN_DBLCLK);
    EXPECT_EQ(app.desktop.messages, std::vector<std::string>{"Hello there"});
}

TEST(Controls, OptionButtonsShowTheirModelsValue)
{
    App app;
    Form3& f = app.f3();
    HWND shutDown = app.native(f, f.Option2), restart = app.native(f, f.Option5), open = app.native(f, f.Option1);
    EXPECT_EQ(GetWindowLongA(shutDown, GWL_STYLE) & BS_TYPEMASK, BS_RADIOBUTTON);
    SendMessageA(open, BM_CLICK, 0, 0);
    SendMessageA(shutDown, BM_CLICK, 0, 0);
    EXPECT_TRUE(f.Option2.Value());
    EXPECT_EQ(SendMessageA(shutDown, BM_GETCHECK, 0, 0), BST_CHECKED);
    EXPECT_EQ(SendMessageA(open, BM_GETCHECK, 0, 0), BST_CHECKED) << "another container keeps its choice";
    SendMessageA(restart, BM_CLICK, 0, 0);
    EXPECT_EQ(SendMessageA(shutDown, BM_GETCHECK, 0, 0), BST_UNCHECKED) << "the frame's other button clears";
    EXPECT_EQ(f.selectedKind(), "Restart");
    EXPECT_FALSE(IsWindowEnabled(app.native(f, f.Text3))) << "the model disabled the target box";
    EXPECT_FALSE(IsWindowEnabled(app.native(f, f.Combo1)));
}

TEST(Controls, TextBoxesTakeTypingAndRefuseLineBreaks)
{
    App app;
    Form3& f = app.f3();
    HWND phrase = app.native(f, f.Text1);
    // Typed key by key, each character lands after the one before.
    for (char c : std::string("say hi"))
        SendMessageA(phrase, WM_CHAR, static_cast<WPARAM>(c), 1);
    EXPECT_EQ(f.Text1.Text(), "say hi");
    EXPECT_EQ(windowText(phrase), "say hi");
    SetWindowTextA(phrase, "play it");
    EXPECT_EQ(f.Text1.Text(), "play it");
    SetWindowTextA(phrase, "two\r\nlines");
    EXPECT_EQ(f.Text1.Text(), "play it");
    EXPECT_EQ(windowText(phrase), "play it") << "the box shows the model's text again";
    ASSERT_EQ(app.desktop.messages.size(), 1u);
    f.Text1.setText("");
    EXPECT_EQ(windowText(phrase), "");
}

TEST(Controls, TheDropDownListFollowsAndFeedsItsModel)
{
    App app;
    Form3& f = app.f3();
    HWND combo = app.native(f, f.Combo1);
    EXPECT_EQ(SendMessageA(combo, CB_GETCOUNT, 0, 0), 9);
    EXPECT_EQ(windowText(combo), "Play");
    SendMessageA(combo, CB_SETCURSEL, 2, 0);
    app.notify(f, combo, CBN_SELCHANGE);
    EXPECT_EQ(f.Combo1.ListIndex(), 2);
    EXPECT_EQ(f.Combo1.Text(), "Next Track");
    f.Combo1.setText("typed");
    EXPECT_EQ(windowText(combo), "typed");
    EXPECT_EQ(SendMessageA(combo, CB_GETCURSEL, 0, 0), CB_ERR);

    // Typed key by key into the edit field, after a chosen item too.
    HWND field = GetWindow(combo, GW_CHILD);
    SendMessageA(combo, CB_SETCURSEL, 0, 0);
    app.notify(f, combo, CBN_SELCHANGE);
    ASSERT_EQ(f.Combo1.Text(), "Play");
    SendMessageA(field, EM_SETSEL, 0, -1);
    for (char c : std::string("Next Track"))
        SendMessageA(field, WM_CHAR, static_cast<WPARAM>(c), 1);
    EXPECT_EQ(f.Combo1.Text(), "Next Track");
    EXPECT_EQ(windowText(combo), "Next Track");
}

TEST(Controls, ButtonsClickTheirModelsAndThePictureShowsOnCue)
{
    App app;
    HWND indicator = app.native(app.f1(), app.f1().Image1);
    ASSERT_NE(indicator, nullptr);
    EXPECT_FALSE(IsWindowVisible(indicator));
    app.f1().DirectSR1_PhraseStart(0, 0);
    EXPECT_TRUE(IsWindowVisible(indicator));
    app.sr.say("next");
    EXPECT_FALSE(IsWindowVisible(indicator));
    EXPECT_EQ(app.player.codes, std::vector<int32_t>{40048});

    SendMessageA(app.native(app.f1(), app.f1().Command5), BM_CLICK, 0, 0);
    MSG msg;
    EXPECT_TRUE(PeekMessageA(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) << "Exit ends the loop";
}

TEST(Controls, TheIndicatorIsABorderedBlueSquare)
{
    // Drawn at the picture's own size, the square is where the picture has it.
    HDC screen = GetDC(nullptr);
    HDC dc = CreateCompatibleDC(screen);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, 50, 50);
    ReleaseDC(nullptr, screen);
    HGDIOBJ old = SelectObject(dc, bitmap);
    RECT all{0, 0, 50, 50};
    FillRect(dc, &all, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
    DrawIndicator(dc, all);
    struct Case {
        int x, y;
        COLORREF colour;
    } cases[] = {
        {7, 11, RGB(255, 255, 255)}, {8, 11, RGB(0, 0, 0)},     {38, 41, RGB(0, 0, 0)},
        {9, 12, RGB(26, 83, 161)},   {37, 40, RGB(26, 83, 161)}, {39, 42, RGB(255, 255, 255)},
        {8, 10, RGB(255, 255, 255)},
    };
    for (const auto& c : cases)
        EXPECT_EQ(GetPixel(dc, c.x, c.y) & 0xFFFFFF, c.colour) << "(" << c.x << ", " << c.y << ")";
    SelectObject(dc, old);
    DeleteObject(bitmap);
    DeleteDC(dc);
}

// Moved to a monitor of another DPI, a form lays itself out again there.
TEST(Geometry, ANewDpiLaysTheFormOutAgain)
{
    App app;
    HWND w = hwndOf(app.f2());
    RECT suggested{100, 80, 100 + 900, 80 + 500};
    SendMessageA(w, WM_DPICHANGED, MAKEWPARAM(144, 144), reinterpret_cast<LPARAM>(&suggested));
    RECT client{};
    GetClientRect(w, &client);
    EXPECT_EQ(client.right, 875);
    EXPECT_EQ(client.bottom, 275);
    RECT outer{};
    GetWindowRect(w, &outer);
    EXPECT_EQ(outer.left, suggested.left) << "the window goes where the system suggests";
    EXPECT_EQ(outer.top, suggested.top);
    EXPECT_NE(childAt(w, {408, 24, 854, 206}), nullptr) << "List3 at 144 DPI";
    EXPECT_NE(childAt(w, {156, 228, 278, 266}), nullptr) << "Close at 144 DPI";
}

// The main, word list and add windows stay above others from the start.
TEST(Forms, TheFormsThatAskForItStayOnTop)
{
    App app;
    const auto& asked = app.desktop.topmost;
    for (Form* f : std::vector<Form*>{&app.f1(), &app.f2(), &app.f3()}) {
        EXPECT_NE(std::find(asked.begin(), asked.end(), f->hWnd), asked.end()) << f->Name();
        EXPECT_TRUE(GetWindowLongA(hwndOf(*f), GWL_EXSTYLE) & WS_EX_TOPMOST) << f->Name();
    }
    app.f1().mnu_about_Click();
    EXPECT_FALSE(GetWindowLongA(hwndOf(app.set.form4()), GWL_EXSTYLE) & WS_EX_TOPMOST);
}

TEST(Forms, AllFourCarryTheProgramsIcon)
{
    App app;
    app.f1().mnu_about_Click();
    const auto big = SendMessageA(app.main(), WM_GETICON, ICON_BIG, 0);
    const auto small = SendMessageA(app.main(), WM_GETICON, ICON_SMALL, 0);
    // This test program carries the program's resources, so the icon is ours,
    // not the system's stand-in.
    EXPECT_NE(big, 0);
    EXPECT_NE(small, 0);
    EXPECT_NE(reinterpret_cast<HICON>(big), LoadIconA(nullptr, reinterpret_cast<LPCSTR>(IDI_APPLICATION)));
    for (Form* f : std::vector<Form*>{&app.f2(), &app.f3(), &app.set.form4()}) {
        EXPECT_EQ(SendMessageA(hwndOf(*f), WM_GETICON, ICON_BIG, 0), big) << f->Name();
        EXPECT_EQ(SendMessageA(hwndOf(*f), WM_GETICON, ICON_SMALL, 0), small) << f->Name();
    }
}

// Each control with a tip text has its tip, with that text.
TEST(Forms, ToolTipsCarryTheirTexts)
{
    App app;
    struct Case {
        Form* form;
        Control* control;
        const wchar_t* tip;
    } cases[] = {
        {&app.f2(), &app.f2().List1, L"The sound recognised"},
        {&app.f2(), &app.f2().List2, L"The description of the executable"},
        {&app.f2(), &app.f2().List3, L"Filename of executable. Double click to see full directory"},
        {&app.f3(), &app.f3().Text1,
         L"The sound to recognise. Type a word in here, or, to get the program to recognise letter (eg, ICQ), type in "
         L"one letter at a time with a space in between (eg, i c q)"},
        {&app.f3(), &app.f3().Text3, L"Locate the executable"},
    };
    for (const auto& c : cases) {
        HWND form = hwndOf(*c.form);
        HWND tips = nullptr;
        for (HWND w = GetTopWindow(nullptr); w; w = GetWindow(w, GW_HWNDNEXT)) {
            char cls[64] = {};
            GetClassNameA(w, cls, sizeof cls);
            if (GetWindow(w, GW_OWNER) == form && lstrcmpiA(cls, TOOLTIPS_CLASSA) == 0)
                tips = w;
        }
        ASSERT_NE(tips, nullptr) << c.form->Name() << " has tips";
        // The ANSI message gives at most 80 characters back; the wide one all.
        std::vector<wchar_t> text(1024, L'\0');
        TTTOOLINFOW tool{};
        tool.cbSize = TTTOOLINFOW_V2_SIZE;
        tool.hwnd = form;
        tool.uId = reinterpret_cast<UINT_PTR>(app.native(*c.form, *c.control));
        tool.lpszText = text.data();
        SendMessageW(tips, TTM_GETTEXTW, text.size(), reinterpret_cast<LPARAM>(&tool));
        EXPECT_EQ(std::wstring(text.data()), std::wstring(c.tip)) << c.control->Name();
    }
}

// ---------------------------------------------------------------- captions

namespace {

// A caption's lines as its control breaks them: at its line breaks, and
// where the control wraps, before the word that would pass the width.
std::vector<std::string> captionLines(HDC dc, const std::string& caption, int width, bool wraps)
{
    auto extent = [&](const std::string& s) {
        SIZE size{};
        GetTextExtentPoint32A(dc, s.c_str(), static_cast<int>(s.size()), &size);
        return static_cast<int>(size.cx);
    };
    std::vector<std::string> lines;
    size_t start = 0;
    while (start <= caption.size()) {
        size_t end = caption.find('\n', start);
        if (end == std::string::npos)
            end = caption.size();
        std::string paragraph = caption.substr(start, end - start);
        if (!paragraph.empty() && paragraph.back() == '\r')
            paragraph.pop_back();
        if (!wraps) {
            lines.push_back(paragraph);
        } else {
            std::string line;
            size_t at = 0;
            while (at < paragraph.size()) {
                size_t next = paragraph.find(' ', at);
                std::string word = paragraph.substr(at, next == std::string::npos ? std::string::npos : next - at);
                const std::string longer = line.empty() ? word : line + " " + word;
                if (!line.empty() && extent(longer) > width) {
                    lines.push_back(line);
                    line = word;
                } else {
                    line = longer;
                }
                at = next == std::string::npos ? paragraph.size() : next + 1;
            }
            lines.push_back(line);
        }
        if (end == caption.size())
            break;
        start = end + 1;
    }
    // A caption that ends in a line break has no empty last line to show.
    while (lines.size() > 1 && lines.back().empty())
        lines.pop_back();
    return lines;
}

struct CaptionRoom {
    int left = 0, right = 0; // pixels at 96 DPI that the control keeps for itself
    int top = 0, bottom = 0;
    bool wraps = false;
};

// What each kind of captioned window keeps for its frame and mark, in
// pixels at 96 DPI: a push button's edges, an option button's round mark
// and the gap after it, the line and indent before a frame's caption.
bool roomFor(HWND control, CaptionRoom& room)
{
    char cls[32] = {};
    GetClassNameA(control, cls, sizeof cls);
    const LONG style = GetWindowLongA(control, GWL_STYLE);
    if (lstrcmpiA(cls, "Static") == 0) {
        if ((style & SS_TYPEMASK) == SS_OWNERDRAW)
            return false;
        room.wraps = true;
        return true;
    }
    if (lstrcmpiA(cls, "Button") != 0)
        return false;
    switch (style & BS_TYPEMASK) {
    case BS_GROUPBOX:
        room = {8, 8, 0, 0, false};
        return true;
    case BS_RADIOBUTTON:
    case BS_AUTORADIOBUTTON:
        room = {16, 1, 0, 0, (style & BS_MULTILINE) != 0};
        return true;
    default:
        room = {4, 4, 2, 2, false};
        return true;
    }
}

// Every caption of a form's window fits its control at the window's DPI:
// each line within the width the control leaves for text, the lines within
// its height, and no window drawn over the text. Those that do not fit are
// named, one a line, with their measures.
std::string captionsThatDoNotFit(HWND form, int dpi)
{
    HDC dc = GetDC(form);
    std::string failure;
    for (HWND c = GetWindow(form, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) {
        CaptionRoom room;
        const std::string caption = windowText(c);
        if (!IsWindowVisible(c) || caption.empty() || !roomFor(c, room))
            continue;
        RECT r{};
        GetWindowRect(c, &r);
        MapWindowPoints(nullptr, form, reinterpret_cast<POINT*>(&r), 2);
        const int width = r.right - r.left - MulDiv(room.left + room.right, dpi, 96);
        const int height = r.bottom - r.top - MulDiv(room.top + room.bottom, dpi, 96);
        HGDIOBJ old = SelectObject(dc, reinterpret_cast<HFONT>(SendMessageA(c, WM_GETFONT, 0, 0)));
        TEXTMETRICA tm{};
        GetTextMetricsA(dc, &tm);
        int widest = 0;
        const auto lines = captionLines(dc, caption, width, room.wraps);
        for (const auto& line : lines) {
            SIZE size{};
            GetTextExtentPoint32A(dc, line.c_str(), static_cast<int>(line.size()), &size);
            widest = std::max(widest, static_cast<int>(size.cx));
        }
        SelectObject(dc, old);
        // The internal leading above the first line is room for accents; a
        // caption may lose it without losing a letter.
        const int tall = static_cast<int>(lines.size()) * tm.tmHeight - tm.tmInternalLeading;
        std::string why;
        if (widest > width)
            why = std::to_string(widest) + " pixels wide in " + std::to_string(width);
        else if (tall > height)
            why = std::to_string(lines.size()) + " lines of " + std::to_string(tm.tmHeight) + " pixels in " +
                  std::to_string(height);
        // A sibling over the text hides it: the windows above come first.
        RECT ink{r.left + MulDiv(room.left, dpi, 96), r.top, r.left + MulDiv(room.left, dpi, 96) + widest, r.bottom};
        for (HWND over = GetWindow(c, GW_HWNDPREV); over && why.empty(); over = GetWindow(over, GW_HWNDPREV)) {
            RECT o{}, both{};
            GetWindowRect(over, &o);
            MapWindowPoints(nullptr, form, reinterpret_cast<POINT*>(&o), 2);
            if (IsWindowVisible(over) && IntersectRect(&both, &ink, &o) && both.top < r.top + std::min(tall, height))
                why = "covered by \"" + windowText(over) + "\" from x=" + std::to_string(o.left);
        }
        if (!why.empty())
            failure += "\"" + caption + "\" at " + std::to_string(dpi) + " DPI: " + why + "\n";
    }
    ReleaseDC(form, dc);
    return failure;
}

} // namespace

TEST(Captions, EveryCaptionFitsItsControlAt96And144Dpi)
{
    for (int dpi : {96, 144}) {
        App app;
        app.f1().mnu_about_Click();
        app.f2().Show();
        app.f3().Show();
        for (Form* f : std::vector<Form*>{&app.f1(), &app.f2(), &app.f3(), &app.set.form4()}) {
            HWND w = hwndOf(*f);
            if (WindowDpi(w) != dpi) {
                RECT outer{};
                GetWindowRect(w, &outer);
                SendMessageA(w, WM_DPICHANGED, MAKEWPARAM(dpi, dpi), reinterpret_cast<LPARAM>(&outer));
            }
            EXPECT_EQ(captionsThatDoNotFit(w, dpi), "") << windowText(w);
        }
    }
}
