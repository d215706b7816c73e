#pragma once
// Drives a running quillmere.exe from outside, as a user would: finds its
// windows by caption, reads and clicks its controls, answers its message
// boxes, and reads the store files. Every wait has a deadline.
#include <windows.h>

#include <functional>
#include <stdexcept>
#include <string>
#include <vector>

namespace driver {

// A failed requirement ends the case; a failed check is counted and the case goes on.
struct CaseAborted : std::runtime_error {
    using std::runtime_error::runtime_error;
};
void check(bool ok, const std::string& what);
void require(bool ok, const std::string& what);
int failures();

template <typename T>
std::string show(const std::vector<T>& items)
{
    std::string out = "[";
    for (size_t i = 0; i < items.size(); ++i)
        out += (i ? ", \"" : "\"") + std::string(items[i]) + "\"";
    return out + "]";
}
std::string escaped(const std::string& bytes); // CR and LF made visible
void checkEqual(const std::string& got, const std::string& want, const std::string& what);
void checkEqual(const std::vector<std::string>& got, const std::vector<std::string>& want, const std::string& what);

// Polls until pred() holds or the time is up; between polls it answers the
// program's message boxes when a Program is given.
class Program;
bool waitUntil(const std::function<bool()>& pred, int timeoutMs, Program* answering = nullptr);

// A Unix path as the Windows side sees it (Wine maps / to Z:).
std::string windowsPath(const std::string& path);

// ---------------------------------------------------------------- store files

std::string storePath(const char* name); // in the Windows directory
std::string readFile(const std::string& path);
void writeFile(const std::string& path, const std::string& bytes);
void removeStore();
struct Entry {
    std::string phrase, target, kind;
};
// The three files as the program writes them for these entries.
struct StoreBytes {
    std::string words, dirs, desc;
};
StoreBytes canonicalStore(const std::vector<Entry>& entries);
void writeStore(const StoreBytes& store);
void checkStore(const StoreBytes& want, const std::string& when);

// ---------------------------------------------------------------- windows

std::string className(HWND w);
// WM_GETTEXT, which works for any control of any process.
std::string text(HWND w);
std::vector<HWND> children(HWND parent, const char* windowClass); // direct children, in z-order
HWND childByText(HWND parent, const char* windowClass, const std::string& caption);
std::vector<HWND> byPosition(std::vector<HWND> windows, bool leftToRight); // sorted by x or by y
std::vector<std::string> listItems(HWND list);
int listSelection(HWND list);
// The id of a menu bar item, by the captions on the way: {"File", "Exit"}.
int menuItemId(HWND window, const std::vector<std::string>& path);
std::vector<std::string> menuCaptions(HMENU menu);

// ---------------------------------------------------------------- the program

class Program {
public:
    // Starts the program, with no arguments unless given; the store stays as it is.
    explicit Program(const std::string& exe, const std::string& arguments = {});
    ~Program(); // ends it if it still runs
    Program(const Program&) = delete;
    Program& operator=(const Program&) = delete;

    DWORD pid() const { return info_.dwProcessId; }
    // A top-level window of the program with this exact caption, or null.
    HWND window(const std::string& caption, bool visibleOnly = false) const;
    // Waits for it to be visible; a requirement.
    HWND shown(const std::string& caption, int timeoutMs = 30000);
    bool visible(const std::string& caption) const;

    // The texts of the message boxes answered so far, in order.
    const std::vector<std::string>& boxes() const { return boxes_; }
    void forgetBoxes() { boxes_.clear(); }
    // Answers every box that is open now with OK; true if there was one.
    bool answerBoxes();
    // A box that is open now, or null.
    HWND openBox() const;
    static std::string boxText(HWND box);

    // Sends a message and answers boxes until the program has handled it, so
    // that everything the message started has happened when this returns.
    LRESULT act(HWND target, UINT msg, WPARAM wp = 0, LPARAM lp = 0, int timeoutMs = 60000);
    void click(HWND button) { act(button, BM_CLICK); }
    void type(HWND edit, const std::string& s);
    // Chooses an item of the window's menu bar. Where the menu can be read
    // from here this returns once the item's handler has run; otherwise the
    // caller waits for what the item does.
    void chooseMenu(HWND window, const std::vector<std::string>& path);
    // A pop-up menu of the program that is open now, or null.
    HWND openMenu() const;
    // Posts key presses, which an open menu takes from the program's queue.
    static void pressKeys(HWND target, const std::vector<WPARAM>& keys);
    // The user picking a row, as the list box reports it to its window.
    void selectRow(HWND list, int row);
    void doubleClickRow(HWND list, int row);
    void chooseInCombo(HWND combo, const std::string& item);

    // Waits for the end; the exit code, or nothing on timeout.
    bool exited(int timeoutMs, DWORD* code = nullptr);

private:
    PROCESS_INFORMATION info_{};
    std::vector<std::string> boxes_;
};

// ---------------------------------------------------------------- the player

// A window of the media player's class that records the WM_COMMAND codes it
// gets, on a thread of its own so that the program's SendMessage returns.
class PlayerWindow {
public:
    PlayerWindow();
    ~PlayerWindow();
    std::vector<unsigned> codes() const;

private:
    struct State;
    State* state_;
};

// ---------------------------------------------------------------- pictures

// A copy of a window's rectangle of the screen, 24 bits per pixel.
struct Capture {
    RECT area{};                       // screen coordinates
    std::vector<unsigned char> pixels; // bottom-up rows, as in a BMP file
    int stride = 0;

    static Capture of(HWND window);
    bool taken() const { return !pixels.empty(); }
    bool save(const std::string& bmpPath) const;
    // Pixels inside r (screen coordinates) that differ from the colour most
    // of them have: text and lines on a plain background.
    int inkIn(const RECT& r) const;
};

// Milliseconds since an arbitrary start.
double nowMs();

} // namespace driver
