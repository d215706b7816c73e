// Two starts of the real quillmere.exe on one store under Wine: entries are
// added through the first program's add window; a second start, with the
// first one's windows hidden and again with its add window in front, ends at
// once with status 0 and brings the first one's main window forward. Closing
// the first then saves every entry added through it. Two starts at the same
// moment leave one program running.
//
//   quillmere-second-start PROGRAM.exe
#include "Driver.h"

#include <cstdio>

using namespace driver;

namespace {

const char* const kMain = "Quillmere Voice Vuredizara Program";
const char* const kAdd = "Add Word/Phrase";

// Under Wine there is no speech engine; each vocabulary reload says so once.
void checkOnlyNotListening(const Program& p, const std::string& when)
{
    for (const auto& box : p.boxes())
        check(box.find("not listening") != std::string::npos, "unexpected message box " + when + ": " + escaped(box));
}

// Every visible main window on the desktop, whichever program owns it.
int visibleMainWindows()
{
    int n = 0;
    for (HWND w = FindWindowA(nullptr, kMain); w; w = FindWindowExA(nullptr, w, nullptr, kMain))
        n += IsWindowVisible(w) ? 1 : 0;
    return n;
}

void secondStart(const std::string& exe, Program& first, HWND main, const std::string& when)
{
    DWORD code = 99;
    {
        Program second(exe);
        require(second.exited(60000, &code), "the second start " + when + " did not end");
        checkEqual(second.boxes(), std::vector<std::string>{}, "the second start's message boxes " + when);
    }
    check(code == 0, "the second start " + when + " ended with status " + std::to_string(code));
    check(waitUntil([&] { return first.visible(kMain); }, 10000, &first),
          "the first program's main window is not shown after the second start " + when);
    check(waitUntil([&] { return GetForegroundWindow() == main; }, 10000, &first),
          "the first program's main window is not in the foreground after the second start " + when);
    check(visibleMainWindows() == 1,
          "after the second start " + when + ", " + std::to_string(visibleMainWindows()) + " main windows are shown");
    check(!first.exited(0),
          "the first program ended when the second started " + when);
}

void run(const std::string& exe)
{
    removeStore();
    const std::vector<Entry> entries = {{"say hi", "Hello there", "Message Prompt"},
                                        {"say bye", "Goodbye", "Message Prompt"}};
    {
        Program first(exe);
        HWND main = first.shown(kMain, 60000);
        first.chooseMenu(main, {"File", "Add New Word/Phrase"});
        HWND add = first.shown(kAdd);
        auto edits = byPosition(children(add, "Edit"), false);
        require(edits.size() == 2, "the add window has two text boxes");
        for (const Entry& e : entries) {
            first.typeInto(edits[0], e.phrase);
            first.click(childByText(add, "Button", "Message Prompt"));
            first.typeInto(edits[1], e.target);
            first.click(childByText(add, "Button", "Save"));
        }
        checkStore(canonicalStore(entries), "after adding through the first program");

        first.chooseMenu(main, {"File", "Hide"});
        require(waitUntil([&] { return !first.visible(kMain); }, 10000, &first), "File > Hide did not hide the main window");
        secondStart(exe, first, main, "while the first was hidden");

        first.chooseMenu(main, {"File", "Add New Word/Phrase"});
        add = first.shown(kAdd);
        SetForegroundWindow(add);
        secondStart(exe, first, main, "while the add window was in front");

        const auto lists = byPosition(children(main, "ListBox"), true);
        require(lists.size() == 3, "the main window has three lists");
        checkEqual(listItems(lists[0]), {"say hi", "say bye"}, "the first program's phrases after two second starts");

        first.act(main, WM_CLOSE);
        require(first.exited(60000), "closing the main window did not end the program");
        checkOnlyNotListening(first, "in the first program");
    }
    checkStore(canonicalStore(entries), "after closing the first program");

    // Two starts at the same moment: one runs, the other hands over and ends.
    Program a(exe), b(exe);
    DWORD code = 99;
    const bool aEnded = waitUntil([&] { return a.exited(0, &code) || b.exited(0, &code); }, 60000);
    require(aEnded, "of two starts at once, neither ended");
    check(code == 0, "of two starts at once, the one that ended has status " + std::to_string(code));
    Program& left = a.exited(0) ? b : a;
    left.shown(kMain, 60000);
    Sleep(1000);
    check(visibleMainWindows() == 1, "two starts at once show " + std::to_string(visibleMainWindows()) + " main windows");
    check(!left.exited(0), "of two starts at once, the one left ended");
}

} // namespace

int main(int argc, char** argv)
{
    if (argc < 2) {
        std::fprintf(stderr, "usage: quillmere-second-start PROGRAM.exe\n");
        return 2;
    }
    return runCase("second-start", [&] { run(windowsPath(argv[1])); });
}
