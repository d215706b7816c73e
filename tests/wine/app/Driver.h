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
// Runs one case, counting an escaped exception as a failure, prints the
// count under the case's name and gives the driver's exit status.
int runCase(const std::string& name, const std::function<void()>& body);

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
    // Waits for a box to open; a requirement.
    HWND boxOpened(int timeoutMs = 10000);
    // Checks that a window can be seen and answered: it is the foreground
    // window, its thread's focus is in it, and no visible window of the
    // program covers it.
    void checkInFront(HWND window, const std::string& what) const;
    // The captions of the program's visible windows above this one that
    // cover a part of it.
    std::vector<std::string> above(HWND window) const;
    static std::string boxText(HWND box);

    // Sends a message and answers boxes until the program has handled it, so
    // that everything the message started has happened when this returns.
    LRESULT act(HWND target, UINT msg, WPARAM wp = 0, LPARAM lp = 0, int timeoutMs = 60000);
    void click(HWND button) { act(button, BM_CLICK); }

    // Real input, through the system's input queue as a mouse and a keyboard
    // make it: the program sees the same messages as from a user's hands.
    // A left click in the middle of a control; its window is brought to the
    // front first where another window covers that point.
    void clickAt(HWND control);
    // Clicks and waits up to waitMs for the click's effect, answering
    // message boxes meanwhile unless the effect is a box; false if it did
    // not show.
    bool clickFor(HWND control, const std::function<bool()>& effect, int waitMs = 10000, bool answering = true);
    // Clicks into a text box (or an editable drop-down list), empties it
    // with Home, Shift+End and Delete, types the text key by key and waits
    // until the box shows as many characters as were typed.
    void typeInto(HWND edit, const std::string& s);
    // The keyboard focus of the program's input thread, or null.
    HWND focus() const;
    // Chooses an item of the window's menu bar. Where the menu can be read
    // from here this returns once the item's handler has run; otherwise the
    // caller waits for what the item does.
    void chooseMenu(HWND window, const std::vector<std::string>& path);
    // A pop-up menu of the program that is open now, or null.
    HWND openMenu() const;
    // Posts key presses, which an open menu takes from the program's queue.
    static void pressKeys(HWND target, const std::vector<WPARAM>& keys);
    // Presses keys through the input queue; each may carry the Shift key.
    struct Key {
        WORD vk;
        bool shift = false;
    };
    static void sendKeys(const std::vector<Key>& keys);
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
    // The same picture as a PNG file, for viewers that show no BMP.
    bool savePng(const std::string& pngPath) const;
    // The colour at a point of the screen inside the area, as RGB().
    COLORREF at(POINT p) const;
    // Pixels inside r (screen coordinates) that differ from the colour most
    // of them have: text and lines on a plain background.
    int inkIn(const RECT& r) const;
    // The colour most pixels inside r have.
    COLORREF background(const RECT& r) const;
};

// Makes a folder and the folders above it.
void makeFolders(const std::string& path);

// Milliseconds since an arbitrary start.
double nowMs();

} // namespace driver
