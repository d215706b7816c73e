#include "Driver.h"

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <fstream>
#include <map>
#include <mutex>
#include <set>
#include <sstream>
#include <thread>

namespace driver {

namespace {
int g_failures = 0;
constexpr const char* kBoxCaption = "Quillmere Voice Command";
} // namespace

void check(bool ok, const std::string& what)
{
    if (ok)
        return;
    ++g_failures;
    std::printf("  FAILED: %s\n", what.c_str());
    std::fflush(stdout);
}

void require(bool ok, const std::string& what)
{
    if (ok)
        return;
    check(false, what);
    throw CaseAborted(what);
}

int runCase(const std::string& name, const std::function<void()>& body)
{
    try {
        body();
    } catch (const CaseAborted&) {
        // Already reported.
    } catch (const std::exception& e) {
        check(false, e.what());
    }
    std::printf("%s: %d failure(s)\n", name.c_str(), failures());
    return failures() == 0 ? 0 : 1;
}

int failures() { return g_failures; }

std::string escaped(const std::string& bytes)
{
    std::string out;
    for (char c : bytes) {
        if (c == '\r')
            out += "\\r";
        else if (c == '\n')
            out += "\\n";
        else
            out += c;
    }
    return out;
}

void checkEqual(const std::string& got, const std::string& want, const std::string& what)
{
    check(got == want, what + ": got \"" + escaped(got) + "\", want \"" + escaped(want) + "\"");
}

void checkEqual(const std::vector<std::string>& got, const std::vector<std::string>& want, const std::string& what)
{
    check(got == want, what + ": got " + show(got) + ", want " + show(want));
}

double nowMs()
{
    static LARGE_INTEGER frequency = [] {
        LARGE_INTEGER f;
        QueryPerformanceFrequency(&f);
        return f;
    }();
    LARGE_INTEGER now;
    QueryPerformanceCounter(&now);
    return 1000.0 * static_cast<double>(now.QuadPart) / static_cast<double>(frequency.QuadPart);
}

bool waitUntil(const std::function<bool()>& pred, int timeoutMs, Program* answering)
{
    const double end = nowMs() + timeoutMs;
    for (;;) {
        if (pred())
            return true;
        if (nowMs() > end)
            return false;
        if (answering)
            answering->answerBoxes();
        Sleep(5);
    }
}

std::string windowsPath(const std::string& path)
{
    if (path.empty() || path[0] != '/')
        return path;
    std::string out = "Z:" + path;
    std::replace(out.begin(), out.end(), '/', '\\');
    return out;
}

// ---------------------------------------------------------------- store files

std::string storePath(const char* name)
{
    char dir[MAX_PATH + 1] = {};
    GetWindowsDirectoryA(dir, sizeof dir);
    return std::string(dir) + "\\" + name;
}

std::string readFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return "<missing>";
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

void writeFile(const std::string& path, const std::string& bytes)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << bytes;
    require(static_cast<bool>(out), "cannot write " + path);
}

void removeStore()
{
    for (const char* name : {"words.txt", "dirs.txt", "desc.txt"})
        DeleteFileA(storePath(name).c_str());
}

StoreBytes canonicalStore(const std::vector<Entry>& entries)
{
    StoreBytes s{"[Grammer]\r\ntype=cfg\r\n[<start>]\r\n", "", ""};
    for (const auto& e : entries) {
        s.words += "<start>=" + e.phrase + "\r\n";
        s.dirs += e.target + "\r\n\r\n";
        s.desc += e.kind + "\r\n\r\n";
    }
    s.words += "\r\n";
    return s;
}

void writeStore(const StoreBytes& store)
{
    writeFile(storePath("words.txt"), store.words);
    writeFile(storePath("dirs.txt"), store.dirs);
    writeFile(storePath("desc.txt"), store.desc);
}

void checkStore(const StoreBytes& want, const std::string& when)
{
    checkEqual(readFile(storePath("words.txt")), want.words, "words.txt " + when);
    checkEqual(readFile(storePath("dirs.txt")), want.dirs, "dirs.txt " + when);
    checkEqual(readFile(storePath("desc.txt")), want.desc, "desc.txt " + when);
}

// ---------------------------------------------------------------- windows

std::string className(HWND w)
{
    char name[256] = {};
    GetClassNameA(w, name, sizeof name);
    // Classes of the common controls 6 may carry their version before a '!'.
    std::string s = name;
    auto bang = s.rfind('!');
    return bang == std::string::npos ? s : s.substr(bang + 1);
}

namespace {

// Text crosses processes as UTF-16: Wine hands an ANSI caller of another
// process's Unicode list box the UTF-16 bytes unconverted.
std::string narrow(const std::wstring& w)
{
    if (w.empty())
        return {};
    const int n = WideCharToMultiByte(CP_ACP, 0, w.data(), static_cast<int>(w.size()), nullptr, 0, nullptr, nullptr);
    std::string out(static_cast<size_t>(n), '\0');
    WideCharToMultiByte(CP_ACP, 0, w.data(), static_cast<int>(w.size()), out.data(), n, nullptr, nullptr);
    return out;
}

} // namespace

std::string text(HWND w)
{
    DWORD_PTR length = 0;
    if (!SendMessageTimeoutW(w, WM_GETTEXTLENGTH, 0, 0, SMTO_ABORTIFHUNG, 5000, &length))
        return "<no answer>";
    std::vector<wchar_t> buf(length + 1, L'\0');
    DWORD_PTR got = 0;
    SendMessageTimeoutW(w, WM_GETTEXT, buf.size(), reinterpret_cast<LPARAM>(buf.data()), SMTO_ABORTIFHUNG, 5000, &got);
    return narrow(std::wstring(buf.data(), std::min<size_t>(got, length)));
}

std::vector<HWND> children(HWND parent, const char* windowClass)
{
    std::vector<HWND> out;
    for (HWND c = GetWindow(parent, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT))
        if (!windowClass || _stricmp(className(c).c_str(), windowClass) == 0)
            out.push_back(c);
    return out;
}

HWND childByText(HWND parent, const char* windowClass, const std::string& caption)
{
    for (HWND c : children(parent, windowClass))
        if (text(c) == caption)
            return c;
    return nullptr;
}

std::vector<HWND> byPosition(std::vector<HWND> windows, bool leftToRight)
{
    auto key = [leftToRight](HWND w) {
        RECT r{};
        GetWindowRect(w, &r);
        return leftToRight ? r.left : r.top;
    };
    std::stable_sort(windows.begin(), windows.end(), [&](HWND a, HWND b) { return key(a) < key(b); });
    return windows;
}

std::vector<std::string> listItems(HWND list)
{
    std::vector<std::string> out;
    const auto n = static_cast<int>(SendMessageW(list, LB_GETCOUNT, 0, 0));
    for (int i = 0; i < n; ++i) {
        const auto length = SendMessageW(list, LB_GETTEXTLEN, static_cast<WPARAM>(i), 0);
        std::vector<wchar_t> buf(static_cast<size_t>(std::max<LRESULT>(length, 0)) + 1, L'\0');
        SendMessageW(list, LB_GETTEXT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(buf.data()));
        out.push_back(narrow(buf.data()));
    }
    return out;
}

int listSelection(HWND list) { return static_cast<int>(SendMessageA(list, LB_GETCURSEL, 0, 0)); }

std::vector<std::string> menuCaptions(HMENU menu)
{
    std::vector<std::string> out;
    const int n = GetMenuItemCount(menu);
    for (int i = 0; i < n; ++i) {
        char caption[256] = {};
        GetMenuStringA(menu, static_cast<UINT>(i), caption, sizeof caption, MF_BYPOSITION);
        out.emplace_back(caption);
    }
    return out;
}

int menuItemId(HWND window, const std::vector<std::string>& path)
{
    HMENU menu = GetMenu(window);
    for (size_t step = 0; step < path.size() && menu; ++step) {
        const auto captions = menuCaptions(menu);
        auto it = std::find(captions.begin(), captions.end(), path[step]);
        if (it == captions.end())
            return -1;
        const int at = static_cast<int>(it - captions.begin());
        if (step + 1 == path.size())
            return static_cast<int>(GetMenuItemID(menu, at));
        menu = GetSubMenu(menu, at);
    }
    return -1;
}

// ---------------------------------------------------------------- the program

Program::Program(const std::string& exe, const std::string& arguments)
{
    STARTUPINFOA si{};
    si.cb = sizeof si;
    std::string commandLine = "\"" + exe + "\"" + (arguments.empty() ? "" : " " + arguments);
    require(CreateProcessA(exe.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &info_),
            "cannot start " + exe + " (error " + std::to_string(GetLastError()) + ")");
    // Its windows can be looked for once it waits for input the first time.
    WaitForInputIdle(info_.hProcess, 30000);
}

Program::~Program()
{
    if (WaitForSingleObject(info_.hProcess, 0) == WAIT_TIMEOUT) {
        TerminateProcess(info_.hProcess, 99);
        WaitForSingleObject(info_.hProcess, 10000);
    }
    CloseHandle(info_.hThread);
    CloseHandle(info_.hProcess);
}

namespace {

struct Search {
    DWORD pid;
    const char* windowClass;
    const std::string* caption;
    bool visibleOnly;
    HWND found;
};

BOOL CALLBACK findTopLevel(HWND w, LPARAM lp)
{
    auto* s = reinterpret_cast<Search*>(lp);
    DWORD pid = 0;
    GetWindowThreadProcessId(w, &pid);
    if (pid != s->pid || (s->visibleOnly && !IsWindowVisible(w)))
        return TRUE;
    if (s->windowClass && className(w) != s->windowClass)
        return TRUE;
    char caption[512] = {};
    GetWindowTextA(w, caption, sizeof caption);
    if (s->caption && *s->caption != caption)
        return TRUE;
    s->found = w;
    return FALSE;
}

HWND findWindow(DWORD pid, const char* windowClass, const std::string* caption, bool visibleOnly)
{
    Search s{pid, windowClass, caption, visibleOnly, nullptr};
    EnumWindows(&findTopLevel, reinterpret_cast<LPARAM>(&s));
    return s.found;
}

} // namespace

HWND Program::window(const std::string& caption, bool visibleOnly) const
{
    return findWindow(pid(), nullptr, &caption, visibleOnly);
}

bool Program::visible(const std::string& caption) const
{
    HWND w = window(caption);
    return w && IsWindowVisible(w);
}

HWND Program::shown(const std::string& caption, int timeoutMs)
{
    HWND w = nullptr;
    const bool ok = waitUntil([&] { return (w = window(caption, true)) != nullptr; }, timeoutMs, this);
    require(ok, "the window \"" + caption + "\" did not show");
    return w;
}

HWND Program::openBox() const
{
    const std::string caption = kBoxCaption;
    return findWindow(pid(), "#32770", &caption, true);
}

HWND Program::boxOpened(int timeoutMs)
{
    HWND box = nullptr;
    require(waitUntil([&] { return (box = openBox()) != nullptr; }, timeoutMs), "no message box opened");
    return box;
}

std::vector<std::string> Program::above(HWND window) const
{
    std::vector<std::string> out;
    for (HWND w = GetTopWindow(nullptr); w && w != window; w = GetWindow(w, GW_HWNDNEXT)) {
        DWORD owner = 0;
        GetWindowThreadProcessId(w, &owner);
        RECT mine{}, theirs{}, both{};
        GetWindowRect(window, &mine);
        GetWindowRect(w, &theirs);
        if (owner == pid() && IsWindowVisible(w) && IntersectRect(&both, &mine, &theirs))
            out.push_back(text(w));
    }
    return out;
}

void Program::checkInFront(HWND window, const std::string& what) const
{
    // The system settles the stacking and the focus a moment after a window
    // shows; what counts is where they come to rest.
    auto inFront = [&] {
        HWND f = focus();
        return GetForegroundWindow() == window && (f == window || IsChild(window, f)) && above(window).empty();
    };
    if (waitUntil(inFront, 5000))
        return;
    check(GetForegroundWindow() == window, what + " is the foreground window");
    HWND f = focus();
    check(f == window || IsChild(window, f), what + " has the keyboard focus");
    check(above(window).empty(), "windows lie above " + what + ": " + show(above(window)));
}

std::string Program::boxText(HWND box)
{
    // The message is the box's static control with text; the icon's has none.
    for (HWND c : children(box, "Static")) {
        char buf[4096] = {};
        GetWindowTextA(c, buf, sizeof buf);
        if (buf[0])
            return buf;
    }
    return "";
}

bool Program::answerBoxes()
{
    bool any = false;
    while (HWND box = openBox()) {
        any = true;
        boxes_.push_back(boxText(box));
        std::printf("  box: %s\n", escaped(boxes_.back()).c_str());
        HWND ok = children(box, "Button").empty() ? nullptr : children(box, "Button").front();
        DWORD_PTR ignored = 0;
        if (ok)
            SendMessageTimeoutA(ok, BM_CLICK, 0, 0, SMTO_ABORTIFHUNG, 5000, &ignored);
        else
            PostMessageA(box, WM_COMMAND, IDOK, 0);
        require(waitUntil([&] { return !IsWindow(box) || !IsWindowVisible(box); }, 10000),
                "a message box would not close");
    }
    return any;
}

LRESULT Program::act(HWND target, UINT msg, WPARAM wp, LPARAM lp, int timeoutMs)
{
    // The send runs on a thread of its own: a handler that opens a message
    // box does not return until the box is answered, which happens here.
    std::atomic<bool> done{false};
    DWORD_PTR result = 0;
    BOOL delivered = FALSE;
    std::thread sender([&] {
        delivered = SendMessageTimeoutA(target, msg, wp, lp, SMTO_NORMAL, static_cast<UINT>(timeoutMs), &result) != 0;
        done = true;
    });
    const bool finished = waitUntil([&] { return done.load(); }, timeoutMs + 5000, this);
    sender.join();
    require(finished && delivered, "the program did not handle message " + std::to_string(msg) + " in time");
    return static_cast<LRESULT>(result);
}

// ---------------------------------------------------------------- real input

namespace {

POINT centreOf(HWND w)
{
    RECT r{};
    GetWindowRect(w, &r);
    return {(r.left + r.right) / 2, (r.top + r.bottom) / 2};
}

// The point belongs to the control, or to a window inside it (the edit field
// of a drop-down list).
bool hits(HWND control, POINT at)
{
    HWND w = WindowFromPoint(at);
    return w == control || IsChild(control, w);
}

void sendMouse(DWORD flags, POINT at)
{
    INPUT in{};
    in.type = INPUT_MOUSE;
    // Absolute positions run from 0 to 65535 across the primary screen.
    in.mi.dx = MulDiv(at.x, 65535, GetSystemMetrics(SM_CXSCREEN) - 1);
    in.mi.dy = MulDiv(at.y, 65535, GetSystemMetrics(SM_CYSCREEN) - 1);
    in.mi.dwFlags = flags | MOUSEEVENTF_ABSOLUTE;
    SendInput(1, &in, sizeof in);
}

} // namespace

HWND Program::focus() const
{
    // The program's windows all belong to its first thread.
    GUITHREADINFO info{};
    info.cbSize = sizeof info;
    return GetGUIThreadInfo(info_.dwThreadId, &info) ? info.hwndFocus : nullptr;
}

void Program::clickAt(HWND control)
{
    require(control != nullptr, "no control to click");
    const POINT at = centreOf(control);
    if (!hits(control, at)) {
        // What a user does with Alt+Tab or a click on the window's visible part.
        SetForegroundWindow(GetAncestor(control, GA_ROOT));
        require(waitUntil([&] { return hits(control, at); }, 10000, this),
                "another window covers the control \"" + text(control) + "\"");
    }
    sendMouse(MOUSEEVENTF_MOVE, at);
    // The button goes down where the pointer is when the press is handled:
    // until the move has arrived, that is where the last click was.
    require(waitUntil([&] {
                POINT now{};
                return GetCursorPos(&now) && now.x == at.x && now.y == at.y;
            }, 5000),
            "the pointer did not move to the control \"" + text(control) + "\"");
    sendMouse(MOUSEEVENTF_LEFTDOWN, at);
    sendMouse(MOUSEEVENTF_LEFTUP, at);
}

void Program::sendKeys(const std::vector<Key>& keys)
{
    std::vector<INPUT> in;
    auto key = [&](WORD vk, bool up) {
        INPUT k{};
        k.type = INPUT_KEYBOARD;
        k.ki.wVk = vk;
        k.ki.wScan = static_cast<WORD>(MapVirtualKeyA(vk, MAPVK_VK_TO_VSC));
        k.ki.dwFlags = up ? KEYEVENTF_KEYUP : 0;
        in.push_back(k);
    };
    for (const Key& k : keys) {
        if (k.shift)
            key(VK_SHIFT, false);
        key(k.vk, false);
        key(k.vk, true);
        if (k.shift)
            key(VK_SHIFT, true);
    }
    SendInput(static_cast<UINT>(in.size()), in.data(), sizeof(INPUT));
}

bool Program::clickFor(HWND control, const std::function<bool()>& effect, int waitMs, bool answering)
{
    clickAt(control);
    return waitUntil(effect, waitMs, answering ? this : nullptr);
}

void Program::typeInto(HWND edit, const std::string& s)
{
    // The click gives the focus to the box, or to the drop-down list's field.
    require(clickFor(edit, [&] { HWND f = focus(); return f == edit || (f && IsChild(edit, f)); }),
            "a click did not give the focus to the box \"" + text(edit) + "\"");
    std::vector<Key> keys = {{VK_HOME}, {VK_END, true}, {VK_DELETE}};
    for (char c : s) {
        const SHORT code = VkKeyScanA(c);
        require(code != -1, std::string("no key types '") + c + "'");
        keys.push_back({static_cast<WORD>(LOBYTE(code)), (HIBYTE(code) & 1) != 0});
    }
    sendKeys(keys);
    require(waitUntil([&] { return text(edit).size() >= s.size(); }, 10000, this),
            "typing \"" + s + "\" left the box at \"" + text(edit) + "\"");
}

namespace {

// The main window's menu bar as the user sees it; the keyboard walks it by
// these positions where the menu cannot be read.
const std::vector<std::pair<std::string, std::vector<std::string>>> kMenuBar = {
    {"File", {"Add New Word/Phrase", "Edit Word List", "Hide", "Disable Quillmere Voice Vuredizara Program", "Exit"}},
    {"Help", {"About"}},
};

} // namespace

HWND Program::openMenu() const
{
    for (HWND w = GetTopWindow(nullptr); w; w = GetWindow(w, GW_HWNDNEXT)) {
        DWORD owner = 0;
        GetWindowThreadProcessId(w, &owner);
        if (owner == pid() && className(w) == "#32768" && IsWindowVisible(w))
            return w;
    }
    return nullptr;
}

void Program::pressKeys(HWND target, const std::vector<WPARAM>& keys)
{
    for (WPARAM key : keys) {
        PostMessageA(target, WM_KEYDOWN, key, 1);
        PostMessageA(target, WM_KEYUP, key, 0xC0000001);
    }
}

void Program::chooseMenu(HWND window, const std::vector<std::string>& path)
{
    const int id = menuItemId(window, path);
    if (id > 0) {
        act(window, WM_COMMAND, MAKEWPARAM(id, 0), 0);
        return;
    }
    // Wine keeps a menu's items in the process that made it, so no other
    // process can read them. There the menu is worked with the keyboard, as
    // a user would: the menu key, right to the menu, down to the item, Enter.
    require(path.size() == 2, "a menu path is a menu and an item");
    int top = -1, item = -1;
    for (size_t t = 0; t < kMenuBar.size(); ++t) {
        if (kMenuBar[t].first != path[0])
            continue;
        const auto& items = kMenuBar[t].second;
        auto it = std::find(items.begin(), items.end(), path[1]);
        if (it != items.end()) {
            top = static_cast<int>(t);
            item = static_cast<int>(it - items.begin());
        }
    }
    require(top >= 0, "no menu item " + show(path));
    PostMessageA(window, WM_SYSCOMMAND, SC_KEYMENU, 0);
    std::vector<WPARAM> keys(static_cast<size_t>(top), VK_RIGHT);
    keys.insert(keys.end(), static_cast<size_t>(item) + 1, VK_DOWN);
    keys.push_back(VK_RETURN);
    pressKeys(window, keys);
    require(waitUntil([&] { return openMenu() == nullptr; }, 10000, this), "the menu did not close");
}

void Program::selectRow(HWND list, int row)
{
    SendMessageA(list, LB_SETCURSEL, static_cast<WPARAM>(row), 0);
    act(GetParent(list), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(list), LBN_SELCHANGE), reinterpret_cast<LPARAM>(list));
}

void Program::doubleClickRow(HWND list, int row)
{
    selectRow(list, row);
    act(GetParent(list), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(list), LBN_DBLCLK), reinterpret_cast<LPARAM>(list));
}

void Program::chooseInCombo(HWND combo, const std::string& item)
{
    const auto at = SendMessageA(combo, CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(item.c_str()));
    require(at >= 0, "the drop-down list has no \"" + item + "\"");
    SendMessageA(combo, CB_SETCURSEL, static_cast<WPARAM>(at), 0);
    act(GetParent(combo), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(combo), CBN_SELCHANGE), reinterpret_cast<LPARAM>(combo));
}

bool Program::exited(int timeoutMs, DWORD* code)
{
    const bool ended = waitUntil([&] { return WaitForSingleObject(info_.hProcess, 0) == WAIT_OBJECT_0; }, timeoutMs, this);
    if (ended && code)
        GetExitCodeProcess(info_.hProcess, code);
    return ended;
}

// ---------------------------------------------------------------- the player

struct PlayerWindow::State {
    std::thread thread;
    std::atomic<DWORD> threadId{0};
    std::atomic<bool> ready{false};
    mutable std::mutex lock;
    std::vector<unsigned> codes;
};

namespace {

LRESULT CALLBACK playerProcedure(HWND w, UINT msg, WPARAM wp, LPARAM lp)
{
    if (msg == WM_NCCREATE)
        SetWindowLongPtrA(w, GWLP_USERDATA,
                          reinterpret_cast<LONG_PTR>(reinterpret_cast<CREATESTRUCTA*>(lp)->lpCreateParams));
    if (msg == WM_COMMAND) {
        auto* codes = reinterpret_cast<std::pair<std::mutex*, std::vector<unsigned>*>*>(GetWindowLongPtrA(w, GWLP_USERDATA));
        std::lock_guard<std::mutex> hold(*codes->first);
        codes->second->push_back(static_cast<unsigned>(wp));
        return 0;
    }
    return DefWindowProcA(w, msg, wp, lp);
}

} // namespace

PlayerWindow::PlayerWindow() : state_(new State)
{
    state_->thread = std::thread([s = state_] {
        s->threadId = GetCurrentThreadId();
        WNDCLASSA wc{};
        wc.lpfnWndProc = &playerProcedure;
        wc.hInstance = GetModuleHandleA(nullptr);
        wc.lpszClassName = "Winamp v1.x";
        RegisterClassA(&wc);
        std::pair<std::mutex*, std::vector<unsigned>*> codes{&s->lock, &s->codes};
        HWND w = CreateWindowExA(0, wc.lpszClassName, "Player stand-in", WS_OVERLAPPED, 0, 0, 10, 10, nullptr, nullptr,
                                 wc.hInstance, &codes);
        s->ready = true;
        MSG msg;
        while (GetMessageA(&msg, nullptr, 0, 0) > 0)
            DispatchMessageA(&msg);
        DestroyWindow(w);
    });
    require(waitUntil([&] { return state_->ready.load(); }, 10000), "the player stand-in did not start");
}

PlayerWindow::~PlayerWindow()
{
    PostThreadMessageA(state_->threadId, WM_QUIT, 0, 0);
    state_->thread.join();
    delete state_;
}

std::vector<unsigned> PlayerWindow::codes() const
{
    std::lock_guard<std::mutex> hold(state_->lock);
    return state_->codes;
}

// ---------------------------------------------------------------- pictures

Capture Capture::of(HWND window)
{
    Capture c;
    if (!GetWindowRect(window, &c.area))
        return c;
    const int w = c.area.right - c.area.left, h = c.area.bottom - c.area.top;
    if (w <= 0 || h <= 0)
        return c;
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = w;
    info.bmiHeader.biHeight = h;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 24;
    info.bmiHeader.biCompression = BI_RGB;
    c.stride = (w * 3 + 3) & ~3;
    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    void* bits = nullptr;
    HBITMAP dib = CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    HGDIOBJ old = SelectObject(memory, dib);
    if (BitBlt(memory, 0, 0, w, h, screen, c.area.left, c.area.top, SRCCOPY) && bits) {
        GdiFlush();
        const auto* p = static_cast<const unsigned char*>(bits);
        c.pixels.assign(p, p + static_cast<size_t>(c.stride) * h);
    }
    SelectObject(memory, old);
    DeleteObject(dib);
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);
    return c;
}

bool Capture::save(const std::string& bmpPath) const
{
    BITMAPINFOHEADER header{};
    header.biSize = sizeof header;
    header.biWidth = area.right - area.left;
    header.biHeight = area.bottom - area.top;
    header.biPlanes = 1;
    header.biBitCount = 24;
    header.biCompression = BI_RGB;
    header.biSizeImage = static_cast<DWORD>(pixels.size());
    BITMAPFILEHEADER file{};
    file.bfType = 0x4D42; // "BM"
    file.bfOffBits = sizeof file + sizeof header;
    file.bfSize = file.bfOffBits + header.biSizeImage;
    std::ofstream out(bmpPath, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(&file), sizeof file);
    out.write(reinterpret_cast<const char*>(&header), sizeof header);
    out.write(reinterpret_cast<const char*>(pixels.data()), static_cast<std::streamsize>(pixels.size()));
    return static_cast<bool>(out);
}

namespace {

uint32_t crc32(const unsigned char* p, size_t n, uint32_t crc = 0)
{
    crc = ~crc;
    for (size_t i = 0; i < n; ++i) {
        crc ^= p[i];
        for (int k = 0; k < 8; ++k)
            crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
    }
    return ~crc;
}

void putBigEndian(std::string& out, uint32_t v)
{
    for (int shift = 24; shift >= 0; shift -= 8)
        out += static_cast<char>((v >> shift) & 0xFF);
}

void chunk(std::string& png, const char* type, const std::string& data)
{
    putBigEndian(png, static_cast<uint32_t>(data.size()));
    const std::string body = std::string(type, 4) + data;
    png += body;
    putBigEndian(png, crc32(reinterpret_cast<const unsigned char*>(body.data()), body.size()));
}

} // namespace

// Uncompressed deflate blocks inside the zlib stream: larger files, but no
// library and nothing to get wrong.
bool Capture::savePng(const std::string& pngPath) const
{
    const int w = area.right - area.left, h = area.bottom - area.top;
    std::string raw;
    raw.reserve(static_cast<size_t>(h) * (w * 3 + 1));
    for (int y = 0; y < h; ++y) {
        raw += '\0'; // no filter
        const unsigned char* row = &pixels[static_cast<size_t>((h - 1 - y) * stride)];
        for (int x = 0; x < w; ++x) {
            raw += static_cast<char>(row[x * 3 + 2]);
            raw += static_cast<char>(row[x * 3 + 1]);
            raw += static_cast<char>(row[x * 3]);
        }
    }
    std::string z = "\x78\x01";
    uint32_t a = 1, b = 0;
    for (unsigned char c : raw) {
        a = (a + c) % 65521;
        b = (b + a) % 65521;
    }
    for (size_t at = 0; at < raw.size(); at += 65535) {
        const size_t n = std::min<size_t>(65535, raw.size() - at);
        z += static_cast<char>(at + n >= raw.size() ? 1 : 0); // the last block
        z += static_cast<char>(n & 0xFF);
        z += static_cast<char>(n >> 8);
        z += static_cast<char>(~n & 0xFF);
        z += static_cast<char>((~n >> 8) & 0xFF);
        z.append(raw, at, n);
    }
    putBigEndian(z, (b << 16) | a);
    std::string header;
    putBigEndian(header, static_cast<uint32_t>(w));
    putBigEndian(header, static_cast<uint32_t>(h));
    header += std::string("\x08\x02\x00\x00\x00", 5); // 8 bits, RGB, no interlace
    std::string png = "\x89PNG\r\n\x1a\n";
    chunk(png, "IHDR", header);
    chunk(png, "IDAT", z);
    chunk(png, "IEND", "");
    std::ofstream out(pngPath, std::ios::binary | std::ios::trunc);
    out << png;
    return static_cast<bool>(out);
}

COLORREF Capture::at(POINT p) const
{
    const int h = area.bottom - area.top;
    if (p.x < area.left || p.x >= area.right || p.y < area.top || p.y >= area.bottom)
        return CLR_INVALID;
    const int row = h - 1 - (p.y - area.top);
    const unsigned char* px = &pixels[static_cast<size_t>(row * stride + (p.x - area.left) * 3)];
    return RGB(px[2], px[1], px[0]);
}

void makeFolders(const std::string& path)
{
    for (size_t at = path.find_first_of("\\/", 3); at != std::string::npos; at = path.find_first_of("\\/", at + 1))
        CreateDirectoryA(path.substr(0, at).c_str(), nullptr);
    CreateDirectoryA(path.c_str(), nullptr);
}

COLORREF Capture::background(const RECT& r) const
{
    std::map<COLORREF, int> counts;
    for (int y = std::max(r.top, area.top); y < std::min(r.bottom, area.bottom); ++y)
        for (int x = std::max(r.left, area.left); x < std::min(r.right, area.right); ++x)
            ++counts[at({x, y})];
    auto most = std::max_element(counts.begin(), counts.end(),
                                 [](const auto& a, const auto& b) { return a.second < b.second; });
    return most == counts.end() ? CLR_INVALID : most->first;
}

int Capture::inkIn(const RECT& r) const
{
    const int h = area.bottom - area.top;
    std::map<unsigned, int> counts;
    for (int y = std::max(r.top, area.top); y < std::min(r.bottom, area.bottom); ++y)
        for (int x = std::max(r.left, area.left); x < std::min(r.right, area.right); ++x) {
            const int row = h - 1 - (y - area.top); // bottom-up
            const unsigned char* px = &pixels[static_cast<size_t>(row * stride + (x - area.left) * 3)];
            ++counts[px[0] | (px[1] << 8) | (px[2] << 16)];
        }
    int total = 0, most = 0;
    for (const auto& [colour, n] : counts) {
        total += n;
        most = std::max(most, n);
    }
    return total - most;
}

} // namespace driver
