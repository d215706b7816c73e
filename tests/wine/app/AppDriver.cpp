// Drives the real quillmere.exe (and quillmere-test.exe, which hears phrases
// sent to it) under Wine through its windows, and checks what it does
// through the store files, the windows' contents and a media player stand-in.
//
//   quillmere-driver CASE PROGRAM.exe [ARTIFACT-FOLDER]
#include "Driver.h"
#include "PackedBitmap.h"
#include "HeardPhrase.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <algorithm>
#include <map>
#include <set>

using namespace driver;

namespace {

const char* const kMain = "Quillmere Voice Vuredizara Program";
const char* const kWordList = "Words/Phrases List";
const char* const kAdd = "Add Word/Phrase";
const std::string kHeader = "[Grammer]\r\ntype=cfg\r\n[<start>]\r\n";

const std::vector<Entry> kThree = {
    {"open notes", "C:\\Tools\\notes.exe", "Open"},
    {"next", "String holder", "Next Track"},
    {"say hi", "Hello there", "Message Prompt"},
};

struct Args {
    std::string program;
    std::string artifacts;
};

// Only the recognizer's failure to listen may be reported: under Wine there is
// no speech engine, and each vocabulary reload says so once.
void checkOnlyNotListening(const Program& p, const std::string& when)
{
    for (const auto& box : p.boxes())
        check(box.find("not listening") != std::string::npos, "unexpected message box " + when + ": " + escaped(box));
}

// The main window's three lists, left to right: phrases, kinds, targets.
struct Columns {
    std::vector<std::string> left, middle, right;
};
Columns columns(HWND window)
{
    auto lists = byPosition(children(window, "ListBox"), true);
    require(lists.size() == 3, "a window with three lists has " + std::to_string(lists.size()));
    return {listItems(lists[0]), listItems(lists[1]), listItems(lists[2])};
}

HWND started(Program& p)
{
    HWND main = p.shown(kMain, 60000);
    checkOnlyNotListening(p, "at start-up");
    return main;
}

// ---------------------------------------------------------------- cases

// Waits for a click on an option button to choose it.
void choose(Program& p, HWND add, const char* caption)
{
    HWND option = childByText(add, "Button", caption);
    require(p.clickFor(option, [&] { return SendMessageA(option, BM_GETCHECK, 0, 0) == BST_CHECKED; }),
            std::string("a click did not choose \"") + caption + "\"");
}

// Save empties the phrase box as its last step.
void save(Program& p, HWND add, HWND phrase)
{
    require(p.clickFor(childByText(add, "Button", "Save"), [&] { return text(phrase).empty(); }, 30000),
            "Save did not finish");
}

// Add two entries through the add window, typed key by key and clicked with
// the mouse: a message with a typed target, and a player command typed into
// the drop-down list, which stores "String holder".
void addEntries(const Args& a)
{
    removeStore();
    Program p(a.program);
    HWND main = started(p);
    checkStore({"", "", ""}, "after a first start");

    p.chooseMenu(main, {"File", "Add New Word/Phrase"});
    HWND add = p.shown(kAdd);
    auto edits = byPosition(children(add, "Edit"), false);
    require(edits.size() == 2, "the add window has two text boxes");
    HWND phrase = edits[0], target = edits[1];
    require(childByText(add, "Button", "Save") != nullptr, "the add window has Save");

    // A refused Save tells why in a box above the program's topmost windows,
    // which takes the keyboard: Enter answers it, and the add window, its
    // owner, has the focus again.
    HWND refusal = nullptr;
    require(p.clickFor(childByText(add, "Button", "Save"), [&] { return (refusal = p.openBox()) != nullptr; }, 10000, false),
            "Save with no phrase opened no box");
    checkEqual(Program::boxText(refusal), "Type the word or phrase to recognise before saving.", "the refusal");
    p.checkInFront(refusal, "the refusal");
    check(GetWindow(refusal, GW_OWNER) == add, "the add window owns the refusal");
    Program::sendKeys({{VK_RETURN}});
    check(waitUntil([&] { return !IsWindow(refusal); }, 10000), "Enter answered the refusal");
    check(waitUntil([&] { return GetForegroundWindow() == add; }, 10000), "the add window is in front again");

    p.typeInto(phrase, "say hi");
    checkEqual(text(phrase), "say hi", "the phrase box after typing");
    choose(p, add, "Message Prompt");
    p.typeInto(target, "Hello there");
    checkEqual(text(target), "Hello there", "the target box after typing");
    save(p, add, phrase);
    checkStore({kHeader + "<start>=say hi\r\n\r\n", "Hello there\r\n\r\n", "Message Prompt\r\n\r\n"}, "after the first Save");
    checkEqual(text(target), "", "the target box after saving");

    p.typeInto(phrase, "next song");
    choose(p, add, "Winamp Commands");
    check(!IsWindowEnabled(target), "the target box is disabled for player commands");
    auto combos = children(add, "ComboBox");
    require(combos.size() == 1, "the add window has one drop-down list");
    check(IsWindowEnabled(combos[0]) != FALSE, "the drop-down list is enabled for player commands");
    checkEqual(text(combos[0]), "Play", "the drop-down list's first choice");
    p.typeInto(combos[0], "Next Track");
    checkEqual(text(combos[0]), "Next Track", "the drop-down list after typing");
    save(p, add, phrase);
    const StoreBytes two{kHeader + "<start>=say hi\r\n<start>=next song\r\n\r\n",
                         "Hello there\r\n\r\nString holder\r\n\r\n", "Message Prompt\r\n\r\nNext Track\r\n\r\n"};
    checkStore(two, "after the second Save");
    checkOnlyNotListening(p, "while adding");

    Columns c = columns(main);
    checkEqual(c.left, {"say hi", "next song"}, "the main window's phrases");
    checkEqual(c.middle, {"Message Prompt", "Next Track"}, "the main window's kinds");
    checkEqual(c.right, {"Hello there", "String holder"}, "the main window's targets");

    // A line break never reaches a store file: text set from outside (another
    // program, or a paste where a box keeps line breaks) is refused whole.
    p.forgetBoxes();
    p.act(phrase, WM_SETTEXT, 0, reinterpret_cast<LPARAM>("two\r\nlines"));
    check(text(phrase).find_first_of("\r\n") == std::string::npos,
          "the phrase box holds a line break: " + escaped(text(phrase)));

    p.act(main, WM_CLOSE);
    DWORD code = 1;
    require(p.exited(30000, &code), "the program did not end after closing");
    checkStore(two, "after closing");
}

void deleteEntry(const Args& a)
{
    removeStore();
    writeStore(canonicalStore(kThree));
    Program p(a.program);
    HWND main = started(p);
    p.chooseMenu(main, {"File", "Edit Word List"});
    HWND list = p.shown(kWordList);
    Columns c = columns(list);
    checkEqual(c.left, {"open notes", "next", "say hi"}, "the word list's phrases");
    checkEqual(c.middle, {"Open", "Next Track", "Message Prompt"}, "the word list's kinds");
    checkEqual(c.right, {"notes.exe", "String holder", "Hello there"}, "the word list's file names");

    auto lists = byPosition(children(list, "ListBox"), true);
    // A row picked in one column is picked in the other two.
    p.selectRow(lists[1], 1);
    check(listSelection(lists[0]) == 1 && listSelection(lists[2]) == 1, "the selection is mirrored across the columns");

    p.forgetBoxes();
    p.doubleClickRow(lists[2], 0);
    checkEqual(p.boxes(), {"C:\\Tools\\notes.exe"}, "a double-click shows the full target");

    p.selectRow(lists[1], 1);
    p.forgetBoxes();
    p.click(childByText(list, "Button", "Delete"));
    checkOnlyNotListening(p, "after Delete");
    const std::vector<Entry> left = {kThree[0], kThree[2]};
    checkStore(canonicalStore(left), "after Delete");
    c = columns(list);
    checkEqual(c.left, {"open notes", "say hi"}, "the word list's phrases after Delete");
    checkEqual(c.right, {"notes.exe", "Hello there"}, "the word list's file names after Delete");
    checkEqual(columns(main).middle, {"Open", "Message Prompt"}, "the main window's kinds after Delete");
}

// Hide from the File menu hides all four windows; the tray icon's menu brings
// back the main window alone.
void hideAndShow(const Args& a)
{
    removeStore();
    writeStore(canonicalStore(kThree));
    Program p(a.program);
    HWND main = started(p);
    p.chooseMenu(main, {"File", "Edit Word List"});
    p.shown(kWordList);
    p.chooseMenu(main, {"File", "Add New Word/Phrase"});
    p.shown(kAdd);

    p.chooseMenu(main, {"Help", "About"});
    p.shown("About");

    // The main, word list and add windows stay above other windows. (Wine
    // answers no other process's WM_GETICON; FrontEndTest checks the icons.)
    struct Expect {
        const char* caption;
        bool topmost;
    } windows[] = {{kMain, true}, {kWordList, true}, {kAdd, true}, {"About", false}};
    for (const auto& w : windows) {
        HWND h = p.window(w.caption);
        check(((GetWindowLongA(h, GWL_EXSTYLE) & WS_EX_TOPMOST) != 0) == w.topmost,
              std::string("the window \"") + w.caption + (w.topmost ? "\" is topmost" : "\" is not topmost"));
    }

    p.chooseMenu(main, {"File", "Hide"});
    const std::vector<const char*> four = {kMain, kWordList, kAdd, "About"};
    auto allHidden = [&] {
        for (const char* caption : four)
            if (!p.window(caption) || p.visible(caption))
                return false;
        return true;
    };
    check(waitUntil(allHidden, 10000, &p), "Hide hid the four windows");
    for (const char* caption : four) {
        check(p.window(caption) != nullptr, std::string("the window \"") + caption + "\" exists after Hide");
        check(!p.visible(caption), std::string("the window \"") + caption + "\" is hidden after Hide");
    }

    // The tray icon's callback: pointer movement does nothing, a double click
    // has its message, and a right click opens the pop-up menu.
    const UINT tray = WM_APP + 1;
    p.forgetBoxes();
    p.act(main, tray, 1, WM_MOUSEMOVE);
    p.act(main, WM_MOUSEMOVE, 0, MAKELPARAM(10, 10));
    check(p.boxes().empty(), "pointer movement opened a message box");
    p.act(main, tray, 1, WM_LBUTTONDBLCLK);
    checkEqual(p.boxes(), {"Dbl Click in the systray needs event"}, "the tray icon's double click");

    PostMessageA(main, tray, 1, WM_RBUTTONUP);
    HWND popup = nullptr;
    require(waitUntil([&] { return (popup = p.openMenu()) != nullptr; }, 10000), "the tray icon's right click opened no menu");
    // Wine lets no other process read the menu's items; FrontEndTest reads
    // them inside the program's process. Down twice picks the second, Show.
    Program::pressKeys(popup, {VK_DOWN, VK_DOWN, VK_RETURN});
    check(waitUntil([&] { return p.visible(kMain); }, 10000, &p), "Show in the tray menu showed the main window");
    check(!p.visible(kWordList) && !p.visible(kAdd) && !p.visible("About"), "Show brings back the main window only");

    // Having had its pop-up menu, the program still ends cleanly.
    p.act(main, WM_CLOSE);
    DWORD code = 99;
    require(p.exited(30000, &code), "the program did not end after closing");
    check(code == 0, "exit code after closing: " + std::to_string(code));
}

// Exit ends without saving; closing the main window saves the table first.
// The files start in a layout the program reads but does not write, so
// whether they were written shows in their bytes.
void exitAndClose(const Args& a)
{
    struct Row {
        const char* how;
        bool saves;
    };
    const Row rows[] = {{"File menu Exit", false}, {"Exit button", false}, {"close box", true}};
    const StoreBytes seeded{kHeader + "<start>=open notes\r<start>=say hi\r", "C:\\Tools\\notes.exe\r\nHello there\r\n",
                            "Open\r\nMessage Prompt"};
    const StoreBytes rewritten = canonicalStore({kThree[0], kThree[2]});
    for (const Row& row : rows) {
        std::printf(" %s\n", row.how);
        removeStore();
        writeStore(seeded);
        Program p(a.program);
        HWND main = started(p);
        checkEqual(columns(main).left, {"open notes", "say hi"}, std::string("the phrases read before ") + row.how);
        if (!std::strcmp(row.how, "File menu Exit"))
            p.chooseMenu(main, {"File", "Exit"});
        else if (!std::strcmp(row.how, "Exit button"))
            p.click(childByText(main, "Button", "Exit"));
        else
            p.act(main, WM_CLOSE);
        DWORD code = 99;
        require(p.exited(30000, &code), std::string("the program did not end after ") + row.how);
        check(code == 0, std::string("exit code after ") + row.how + ": " + std::to_string(code));
        checkStore(row.saves ? rewritten : seeded, std::string("after ") + row.how);
    }
}

bool hear(HWND main, const std::string& phrase)
{
    COPYDATASTRUCT data{qm::kHeardPhraseTag, static_cast<DWORD>(phrase.size()), const_cast<char*>(phrase.data())};
    DWORD_PTR result = 0;
    return SendMessageTimeoutA(main, WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&data), SMTO_ABORTIFHUNG, 10000, &result) &&
           result == TRUE;
}

void nextTrack(const Args& a)
{
    PlayerWindow player;
    removeStore();
    writeStore(canonicalStore(kThree));
    Program p(a.program);
    HWND main = p.shown(kMain);
    check(p.boxes().empty(), "the scripted recognizer listens without a message box");
    require(hear(main, "nothing like it") && hear(main, "next"), "the program took no phrase");
    check(waitUntil([&] { return !player.codes().empty(); }, 10000, &p), "the player got no command");
    // Everything heard so far has been handled once the program answers.
    DWORD_PTR ignored = 0;
    SendMessageTimeoutA(main, WM_NULL, 0, 0, SMTO_NORMAL, 5000, &ignored);
    check(player.codes() == std::vector<unsigned>{40048}, "the player got " + std::to_string(player.codes().size()) +
                                                              " commands; want only 40048 (next track)");
    auto lists = byPosition(children(main, "ListBox"), true);
    check(listSelection(lists[0]) == 1, "the phrase heard is selected in the main window");
    check(p.boxes().empty(), "a phrase for the player opened a message box");
}

void messagePrompt(const Args& a)
{
    removeStore();
    writeStore(canonicalStore(kThree));
    Program p(a.program);
    HWND main = p.shown(kMain);
    // The box opens in front of the program's windows, which stay on top of
    // everything else, whichever window has the foreground: the word list
    // (on top like the main window) or the About window (not on top).
    const std::pair<std::vector<std::string>, const char*> fronts[] = {
        {{"File", "Edit Word List"}, kWordList},
        {{"Help", "About"}, "About"},
    };
    for (const auto& [menu, caption] : fronts) {
        p.chooseMenu(main, menu);
        HWND front = p.shown(caption);
        require(waitUntil([&] { return GetForegroundWindow() == front; }, 10000), std::string("\"") + caption + "\" is in the foreground");
        require(hear(main, "say hi"), "the program took no phrase");
        HWND box = p.boxOpened();
        const std::string what = std::string("the message box over \"") + caption + "\"";
        checkEqual(Program::boxText(box), "Hello there", what);
        p.checkInFront(box, what);
        check((GetWindowLongA(box, GWL_EXSTYLE) & WS_EX_TOPMOST) != 0, what + " stays on top of other programs");
        Program::sendKeys({{VK_RETURN}});
        check(waitUntil([&] { return !IsWindow(box); }, 10000), "Enter answered " + what);
        check(p.openBox() == nullptr && IsWindowEnabled(main) && IsWindowEnabled(front), "the windows answer again");
    }
}

// Hide and Show by voice: the main, word list and add windows go, the main
// window alone comes back.
void voiceHideShow(const Args& a)
{
    removeStore();
    writeStore(canonicalStore({{"hide", "x", "Hide"}, {"show", "x", "Show"}}));
    Program p(a.program);
    HWND main = p.shown(kMain);
    p.chooseMenu(main, {"File", "Edit Word List"});
    p.shown(kWordList);
    require(hear(main, "hide"), "the program took no phrase");
    check(waitUntil([&] { return !p.visible(kMain) && !p.visible(kWordList); }, 10000, &p), "\"hide\" hid the windows");
    require(hear(main, "show"), "the program took no phrase");
    check(waitUntil([&] { return p.visible(kMain); }, 10000, &p), "\"show\" showed the main window");
    check(!p.visible(kWordList), "\"show\" leaves the word list hidden");
    check(p.boxes().empty(), "hiding and showing by voice opened a message box");
}

// Pictures of every window, taken from the screen once it shows what a
// working paint leaves there, and written to the artifact folder.
struct Shooter {
    const Program& program;
    std::string folder;

    // Waits until no other window of the program covers the window, then
    // polls until the picture passes the check (the X server shows what was
    // drawn a moment later) or the time is up; either way it is saved.
    Capture shoot(HWND window, const std::string& name, const std::function<bool(const Capture&)>& drawn) const
    {
        check(waitUntil([&] { return program.above(window).empty(); }, 10000),
              name + " is covered by " + show(program.above(window)));
        Capture shot;
        waitUntil([&] { return (shot = Capture::of(window)).taken() && drawn(shot); }, 10000);
        const std::string file = folder + "\\" + name + ".png";
        require(shot.taken() && shot.savePng(file), "no screenshot of " + name);
        std::printf("  screenshot: %s\n", file.c_str());
        return shot;
    }
};

// A list that holds items shows ink inside its border; one left blank
// (drawing switched off and never on again) shows none.
bool listsShowText(const Capture& shot, HWND window)
{
    for (HWND list : children(window, "ListBox")) {
        RECT r{};
        GetWindowRect(list, &r);
        InflateRect(&r, -4, -4);
        if (shot.inkIn(r) <= 20)
            return false;
    }
    return true;
}

// A group box is painted inside: a point just above its bottom line and
// right of its left one has the dialog colour. With the parent clipping its
// children, nobody paints there and it shows black.
bool framesPainted(const Capture& shot, HWND window)
{
    for (HWND frame : children(window, "Button")) {
        if ((GetWindowLongA(frame, GWL_STYLE) & BS_TYPEMASK) != BS_GROUPBOX)
            continue;
        RECT r{};
        GetWindowRect(frame, &r);
        if (shot.at({r.left + 5, r.bottom - 6}) != GetSysColor(COLOR_BTNFACE))
            return false;
    }
    return true;
}

void screenshot(const Args& a)
{
    require(!a.artifacts.empty(), "no folder for the screenshots");
    makeFolders(a.artifacts);
    removeStore();
    writeStore(canonicalStore(kThree));
    Program p(a.program);
    const Shooter camera{p, a.artifacts};
    HWND main = started(p);

    Capture shot = camera.shoot(main, "main-window", [&](const Capture& c) { return listsShowText(c, main); });
    check(listsShowText(shot, main), "every list of the main window shows its text");

    const UINT tray = WM_APP + 1;
    PostMessageA(main, tray, 1, WM_RBUTTONUP);
    HWND popup = nullptr;
    require(waitUntil([&] { return (popup = p.openMenu()) != nullptr; }, 10000), "the tray icon's right click opened no menu");
    shot = camera.shoot(popup, "tray-menu", [](const Capture& c) { return c.inkIn(c.area) > 100; });
    check(shot.inkIn(shot.area) > 100, "the tray menu shows its items");
    Program::pressKeys(popup, {VK_ESCAPE});
    require(waitUntil([&] { return p.openMenu() == nullptr; }, 10000), "Escape closed the tray menu");

    PostMessageA(main, tray, 1, WM_LBUTTONDBLCLK);
    HWND box = p.boxOpened();
    auto boxText = [&](const Capture& c) {
        RECT inside{};
        GetClientRect(box, &inside);
        MapWindowPoints(box, nullptr, reinterpret_cast<POINT*>(&inside), 2);
        return c.background(inside) == GetSysColor(COLOR_BTNFACE) && c.inkIn(inside) > 100;
    };
    shot = camera.shoot(box, "message-box", boxText);
    check(boxText(shot), "the message box shows its text");
    p.answerBoxes();

    p.chooseMenu(main, {"File", "Add New Word/Phrase"});
    HWND add = p.shown(kAdd);
    shot = camera.shoot(add, "add-window", [&](const Capture& c) { return framesPainted(c, add); });
    check(framesPainted(shot, add), "the add window's frames are painted inside");
    p.click(childByText(add, "Button", "Close"));

    p.chooseMenu(main, {"File", "Edit Word List"});
    HWND list = p.shown(kWordList);
    shot = camera.shoot(list, "word-list-window", [&](const Capture& c) { return listsShowText(c, list); });
    check(listsShowText(shot, list), "every list of the word list window shows its text");
    p.click(childByText(list, "Button", "Close"));

    // The About window's picture, stretched into its box.
    p.chooseMenu(main, {"Help", "About"});
    HWND about = p.shown("About");
    HWND picture = nullptr;
    for (HWND c : children(about, "Static"))
        if (text(c).empty())
            picture = c;
    require(picture != nullptr, "the About window has its picture");
    RECT r{};
    GetWindowRect(picture, &r);
    auto filled = [&](const Capture& c) { return c.inkIn(r) > (r.right - r.left) * (r.bottom - r.top) / 4; };
    shot = camera.shoot(about, "about-window", filled);
    check(filled(shot), "the About picture fills its box");
}

// The screen's DPI as Wine gives it to programs started after the change,
// and back as it was at the end of the case.
class LogPixels {
public:
    LogPixels()
    {
        RegCreateKeyExA(HKEY_CURRENT_USER, "Control Panel\\Desktop", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key_, nullptr);
        DWORD size = sizeof old_;
        had_ = RegQueryValueExA(key_, "LogPixels", nullptr, nullptr, reinterpret_cast<BYTE*>(&old_), &size) == ERROR_SUCCESS;
    }
    ~LogPixels()
    {
        if (had_)
            set(static_cast<int>(old_));
        else
            RegDeleteValueA(key_, "LogPixels");
        RegCloseKey(key_);
    }
    LogPixels(const LogPixels&) = delete;
    LogPixels& operator=(const LogPixels&) = delete;
    void set(int dpi)
    {
        const DWORD value = static_cast<DWORD>(dpi);
        require(RegSetValueExA(key_, "LogPixels", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value), sizeof value) ==
                    ERROR_SUCCESS,
                "cannot set the screen's DPI");
    }

private:
    HKEY key_ = nullptr;
    DWORD old_ = 0;
    bool had_ = false;
};

RECT clientOnScreen(HWND w)
{
    RECT r{};
    GetClientRect(w, &r);
    MapWindowPoints(w, nullptr, reinterpret_cast<POINT*>(&r), 2);
    return r;
}

std::string showRect(const RECT& r)
{
    char buf[96];
    std::snprintf(buf, sizeof buf, "(%ld, %ld)-(%ld, %ld)", r.left, r.top, r.right, r.bottom);
    return buf;
}

// At 96, 144 and 192 DPI on a screen of 1366 x 768 (the runner's Xvfb for
// this case) every window lies inside the work area. The main and word list
// windows fit at every one of these DPIs and are laid out at it; the add
// window is 5820 twips tall, 776 pixels at 192 DPI, and is laid out smaller,
// as large as fits.
void onScreen(const Args& a)
{
    require(GetSystemMetrics(SM_CXSCREEN) == 1366 && GetSystemMetrics(SM_CYSCREEN) == 768,
            "the screen is " + std::to_string(GetSystemMetrics(SM_CXSCREEN)) + " x " +
                std::to_string(GetSystemMetrics(SM_CYSCREEN)) + ", not 1366 x 768");
    require(!a.artifacts.empty(), "no folder for the screenshots");
    makeFolders(a.artifacts);
    LogPixels logPixels;
    struct Row {
        int dpi;
        SIZE main, wordList; // client areas, pixels
    } rows[] = {
        {96, {655, 137}, {583, 183}},
        {144, {983, 206}, {875, 275}},
        {192, {1310, 274}, {1166, 366}},
    };
    for (const Row& row : rows) {
        const std::string dpi = std::to_string(row.dpi);
        const std::string at = " at " + dpi + " DPI";
        std::printf(" %d DPI\n", row.dpi);
        logPixels.set(row.dpi);
        removeStore();
        writeStore(canonicalStore(kThree));
        Program p(a.program);
        const Shooter camera{p, a.artifacts};
        RECT work{};
        SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0);
        auto checkOnWorkArea = [&](HWND w) {
            RECT r{}, inside{};
            GetWindowRect(w, &r);
            check(IntersectRect(&inside, &r, &work) && EqualRect(&inside, &r),
                  "the window \"" + text(w) + "\"" + at + " lies at " + showRect(r) + ", outside the work area " +
                      showRect(work));
        };
        auto checkClient = [&](HWND w, SIZE want) {
            const RECT c = clientOnScreen(w);
            check(c.right - c.left == want.cx && c.bottom - c.top == want.cy,
                  "the client area of \"" + text(w) + "\"" + at + " is " + std::to_string(c.right - c.left) + " x " +
                      std::to_string(c.bottom - c.top) + ", want " + std::to_string(want.cx) + " x " +
                      std::to_string(want.cy));
        };

        // One window at a time beside the main window, so that each picture
        // shows one window whole.
        HWND main = started(p);
        checkOnWorkArea(main);
        checkClient(main, row.main);
        camera.shoot(main, "main-window-" + dpi + "dpi", [&](const Capture& c) { return listsShowText(c, main); });

        p.chooseMenu(main, {"File", "Edit Word List"});
        HWND list = p.shown(kWordList);
        checkOnWorkArea(list);
        checkClient(list, row.wordList);
        camera.shoot(list, "word-list-window-" + dpi + "dpi", [&](const Capture& c) { return listsShowText(c, list); });
        p.click(childByText(list, "Button", "Close"));

        // The add window keeps its proportions and fills the height it has.
        p.chooseMenu(main, {"File", "Add New Word/Phrase"});
        HWND add = p.shown(kAdd);
        checkOnWorkArea(add);
        RECT c = clientOnScreen(add), outer{};
        GetWindowRect(add, &outer);
        const int w = c.right - c.left, h = c.bottom - c.top;
        check(std::abs(w * 5820 - h * 5115) <= 5820,
              "the add window" + at + " keeps its proportions: " + std::to_string(w) + " x " + std::to_string(h));
        const int fullHeight =
            row.dpi == 192 ? work.bottom - work.top - (outer.bottom - outer.top - h) : 5820 * row.dpi / 1440;
        check(h >= fullHeight - 5, "the add window" + at + " is " + std::to_string(h) + " pixels tall, want " +
                                       std::to_string(fullHeight) + " or within 5 of it");
        camera.shoot(add, "add-window-" + dpi + "dpi", [&](const Capture& c) { return framesPainted(c, add); });
        p.click(childByText(add, "Button", "Close"));

        p.chooseMenu(main, {"Help", "About"});
        checkOnWorkArea(p.shown("About"));

        p.act(main, WM_CLOSE);
        require(p.exited(30000), "the program did not end" + at);
    }
}

// What the program carries besides its code: the icon in its eight images,
// the About picture, the manifest and the version record.
void resources(const Args& a)
{
    HMODULE exe = LoadLibraryExA(a.program.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    require(exe != nullptr, "cannot open " + a.program + " for its resources");
    auto resource = [&](LPCSTR type, int id) {
        HRSRC found = FindResourceA(exe, MAKEINTRESOURCEA(id), type);
        if (!found)
            return std::string();
        const auto* p = static_cast<const char*>(LockResource(LoadResource(exe, found)));
        return std::string(p, SizeofResource(exe, found));
    };

    // The icon directory: a 6-byte header, then 14 bytes per image.
    const std::string icons = resource(RT_GROUP_ICON, 1);
    require(icons.size() >= 6, "the program has no icon");
    const int count = static_cast<unsigned char>(icons[4]) | (static_cast<unsigned char>(icons[5]) << 8);
    std::multiset<std::pair<int, int>> images; // (size, bits per pixel)
    for (int i = 0; i < count && 6 + 14 * (i + 1) <= static_cast<int>(icons.size()); ++i) {
        const auto* e = reinterpret_cast<const unsigned char*>(icons.data() + 6 + 14 * i);
        const int size = e[0] ? e[0] : 256;
        images.insert({size, e[6] | (e[7] << 8)});
    }
    const std::multiset<std::pair<int, int>> want = {{32, 4}, {16, 4}, {48, 8}, {32, 8}, {16, 8}, {48, 32}, {32, 32}, {16, 32}};
    check(images == want, "the icon has the eight images (" + std::to_string(images.size()) + " found)");

    // Stored gzip-compressed; inflated here as the About window does.
    const std::string picture = resource(RT_RCDATA, 101);
    require(!picture.empty(), "the program has no About picture");
    HBITMAP about = qm::win32::BitmapFromGzip(picture.data(), picture.size());
    require(about != nullptr, "the About picture does not inflate to a bitmap");
    BITMAP header{};
    GetObjectA(about, sizeof header, &header);
    DeleteObject(about);
    check(header.bmWidth == 1024 && header.bmHeight == 768 && header.bmBitsPixel == 24, "the About picture is 1024 x 768 at 24 bits");

    const std::string manifest = resource(RT_MANIFEST, 1);
    for (const char* needed : {"Microsoft.Windows.Common-Controls", "6.0.0.0", "<dpiAware", "<dpiAwareness"})
        check(manifest.find(needed) != std::string::npos, std::string("the manifest has ") + needed);
    // Without an execution level, Windows virtualizes the store's files for a standard user.
    for (const char* absent : {"requestedExecutionLevel", "trustInfo"})
        check(manifest.find(absent) == std::string::npos, std::string("the manifest has no ") + absent);

    const std::string version = resource(RT_VERSION, 1);
    auto hasText = [&](const std::string& s) {
        std::wstring w(s.begin(), s.end());
        return std::search(version.begin(), version.end(), reinterpret_cast<const char*>(w.data()),
                           reinterpret_cast<const char*>(w.data() + w.size())) != version.end();
    };
    check(hasText("ProductName") && hasText("Quillmere Voice Command"), "the version record names the product");
    check(hasText("OriginalFilename") && hasText("quillmere.exe"), "the version record names the file");
    FreeLibrary(exe);
}

// How long from the start until the main window shows, for a small and for
// the largest table. A figure for the record, not a requirement.
void startupTime(const Args& a)
{
    for (int n : {30, 32767}) {
        std::vector<Entry> entries;
        for (int i = 0; i < n; ++i)
            entries.push_back({"phrase " + std::to_string(i), "C:\\Targets\\file" + std::to_string(i) + ".exe",
                               i % 2 ? "Open" : "Message Prompt"});
        removeStore();
        writeStore(canonicalStore(entries));
        const double t0 = nowMs();
        Program p(a.program);
        double boxAt = -1;
        HWND main = nullptr;
        const bool shown = waitUntil([&] {
            if (boxAt < 0 && p.openBox())
                boxAt = nowMs() - t0;
            return (main = p.window(kMain, true)) != nullptr;
        }, 120000, &p);
        const double t = nowMs() - t0;
        require(shown, "the main window did not show with " + std::to_string(n) + " entries");
        checkOnlyNotListening(p, "at start-up");
        auto lists = byPosition(children(main, "ListBox"), true);
        check(SendMessageA(lists[0], LB_GETCOUNT, 0, 0) == n, "the main window lists every entry");
        std::printf("FIGURE startup %d entries: main window shown after %.0f ms", n, t);
        if (boxAt >= 0)
            std::printf(" (the start-up message box appeared after %.0f ms and was answered at once)", boxAt);
        std::printf("\n");
        const double c0 = nowMs();
        p.act(main, WM_CLOSE);
        require(p.exited(120000), "the program did not end");
        std::printf("FIGURE close-and-save %d entries: %.0f ms\n", n, nowMs() - c0);
        check(readFile(storePath("words.txt")) == canonicalStore(entries).words, "closing wrote the table back");
    }
}

const std::map<std::string, void (*)(const Args&)> kCases = {
    {"add", addEntries},          {"delete", deleteEntry},        {"hide-show", hideAndShow},
    {"exit-close", exitAndClose}, {"next-track", nextTrack},      {"message-prompt", messagePrompt},
    {"voice-hide-show", voiceHideShow}, {"screenshot", screenshot}, {"resources", resources},   {"startup-time", startupTime},
    {"on-screen", onScreen},
};

} // namespace

int main(int argc, char** argv)
{
    if (argc < 3 || !kCases.count(argv[1])) {
        std::fprintf(stderr, "usage: quillmere-driver CASE PROGRAM.exe [ARTIFACT-FOLDER]; cases:");
        for (const auto& [name, fn] : kCases)
            std::fprintf(stderr, " %s", name.c_str());
        std::fprintf(stderr, "\n");
        return 2;
    }
    // Positions and sizes as the screen has them, whatever DPI the programs run at.
    SetProcessDPIAware();
    Args args{windowsPath(argv[2]), argc > 3 ? windowsPath(argv[3]) : std::string()};
    std::printf("case %s with %s\n", argv[1], args.program.c_str());
    std::fflush(stdout);
    return runCase(argv[1], [&] { kCases.at(argv[1])(args); });
}
