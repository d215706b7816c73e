// The real quillmere.exe hearing speech under Wine. The test script plays
// espeak-ng's speech into a PulseAudio null sink whose monitor is the prefix's
// default recording device; this driver starts the program, asks the script
// for each utterance through request files in a shared folder, and checks what
// the program does: the player's window gets its command, a "Message Prompt"
// phrase shows its box, other talk runs nothing.
//
//   quillmere-listen-driver CASE PROGRAM.exe SHARED-FOLDER
#include "Driver.h"

#include <windows.h>

#include <cstdio>
#include <map>
#include <string>
#include <vector>

using namespace driver;

namespace {

const char* const kMain = "Quillmere Voice Vuredizara Program";

struct Args {
    std::string program;
    std::string shared;
};

bool exists(const std::string& path)
{
    return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

// Asks the script to play NAME.wav into the sink and waits until it has. A
// box that the speech opens meanwhile stays open for the caller to see.
void say(const Args& a, const std::string& name)
{
    const std::string request = a.shared + "\\" + name + ".say";
    const std::string done = a.shared + "\\" + name + ".said";
    DeleteFileA(done.c_str());
    writeFile(request, name);
    require(waitUntil([&] { return exists(done); }, 60000), "the script did not play " + name);
}

// The time the program's process has spent on the processor, in ms.
double cpuMs(HANDLE process)
{
    FILETIME created, exited, kernel, user;
    if (!GetProcessTimes(process, &created, &exited, &kernel, &user))
        return 0;
    auto ms = [](const FILETIME& f) {
        return ((static_cast<unsigned long long>(f.dwHighDateTime) << 32) | f.dwLowDateTime) / 10000.0;
    };
    return ms(kernel) + ms(user);
}

void hearsCommands(const Args& a)
{
    PlayerWindow player;
    removeStore();
    writeStore(canonicalStore({
        {"next track", "String holder", "Next Track"},
        {"say hello", "Hello there", "Message Prompt"},
    }));
    // --verbose: what the program heard goes to the test's log.
    Program p(a.program, "--verbose");
    p.shown(kMain, 120000);
    check(p.boxes().empty(), "the built-in engine listens without a message box; got " + show(p.boxes()));
    HANDLE process = OpenProcess(PROCESS_QUERY_INFORMATION, FALSE, p.pid());
    const double cpu0 = cpuMs(process), wall0 = nowMs();

    say(a, "next-track");
    check(waitUntil([&] { return !player.codes().empty(); }, 20000, &p), "the player got no command");
    check(player.codes() == std::vector<unsigned>{40048},
          "the player got " + std::to_string(player.codes().size()) + " commands; want only 40048 (next track)");
    check(p.boxes().empty(), "a player command opened a message box");

    say(a, "say-hello");
    HWND box = nullptr;
    check(waitUntil([&] { return (box = p.openBox()) != nullptr; }, 20000), "no message box for \"say hello\"");
    if (box)
        checkEqual(Program::boxText(box), "Hello there", "the message box's text");
    p.answerBoxes();

    // Talk that is no phrase runs nothing. The phrase after it proves that
    // the program heard on: whatever the talk had set off would come first.
    say(a, "out-of-vocabulary");
    say(a, "next-track");
    check(waitUntil([&] { return player.codes().size() >= 2; }, 20000, &p), "the second \"next track\" was not heard");
    check(player.codes() == std::vector<unsigned>{40048, 40048},
          "after the sentence that is no phrase the player got " + std::to_string(player.codes().size()) +
              " commands; want 40048 twice");
    checkEqual(p.boxes(), {"Hello there"}, "the message boxes");

    const double wall = nowMs() - wall0, cpu = cpuMs(process) - cpu0;
    std::printf("FIGURE listening: %.0f ms of processor time in %.0f ms, real-time factor %.3f\n", cpu, wall,
                wall > 0 ? cpu / wall : 0.0);
    CloseHandle(process);
}

// The sound server goes away under the listening program: it says so in a
// box in front, and once the server is back it hears again by itself.
void microphoneLost(const Args& a)
{
    PlayerWindow player;
    removeStore();
    writeStore(canonicalStore({{"next track", "String holder", "Next Track"}}));
    Program p(a.program, "--verbose");
    p.shown(kMain, 120000);
    say(a, "next-track");
    require(waitUntil([&] { return !player.codes().empty(); }, 20000, &p), "the player got no command before the loss");

    say(a, "lose-microphone");
    HWND box = nullptr;
    require(waitUntil([&] { return (box = p.openBox()) != nullptr; }, 20000), "no message box when the microphone went");
    const std::string told = Program::boxText(box);
    check(told.find("Quillmere Voice Command cannot hear commands: the microphone was lost (") == 0,
          "the box says: " + told);
    check(told.find("Listening resumes as soon as it is back.") != std::string::npos, "the box says: " + told);
    p.checkInFront(box, "the box about the lost microphone");
    p.answerBoxes();

    // Under Wine a device's first buffer comes seconds after it is opened,
    // and the program cannot hear what was said before that: a user whose
    // first command went unheard says it again, and so does this test.
    say(a, "restore-microphone");
    bool heard = false;
    for (int attempt = 0; attempt < 3 && !heard; ++attempt) {
        say(a, "next-track");
        heard = waitUntil([&] { return player.codes().size() >= 2; }, 10000, &p);
    }
    check(heard, "\"next track\" was not heard once the microphone was back (said three times)");
    check(player.codes() == std::vector<unsigned>{40048, 40048},
          "the player got " + std::to_string(player.codes().size()) + " commands; want 40048 twice");
}

// Asked for SAPI 5 where none is installed (Wine has none), the program says
// so when it starts, and its windows work on.
void sapiMissing(const Args& a)
{
    removeStore();
    writeStore(canonicalStore({{"next track", "String holder", "Next Track"}}));
    Program p(a.program, "/engine:sapi");
    p.shown(kMain, 120000);
    bool told = false;
    for (const auto& text : p.boxes())
        told = told || (text.find("not listening") != std::string::npos &&
                        text.find("no speech recognizer is installed") != std::string::npos);
    check(told, "no message at start that SAPI 5 has no recognizer; boxes: " + show(p.boxes()));
}

// Not a test: the time from start to the main window with the built-in
// engine, for a vocabulary it can hear (three words of 32 each), printed.
void startupTime(const Args& a)
{
    static const char* const words[] = {"red",   "green", "blue",  "black", "white", "brown", "pink",  "gray",
                                        "one",   "two",   "three", "four",  "five",  "six",   "seven", "eight",
                                        "nine",  "ten",   "open",  "close", "play",  "stop",  "next",  "back",
                                        "start", "end",   "up",    "down",  "left",  "right", "light", "dark"};
    for (int n : {30, 32767}) {
        std::vector<Entry> entries;
        for (int i = 0; i < n; ++i)
            entries.push_back({std::string(words[i / 1024]) + " " + words[i / 32 % 32] + " " + words[i % 32],
                               "x", "Next Track"});
        removeStore();
        writeStore(canonicalStore(entries));
        const double t0 = nowMs();
        Program p(a.program);
        HWND main = p.shown(kMain, 300000);
        std::printf("FIGURE startup %d entries, built-in engine: main window shown after %.0f ms%s\n", n, nowMs() - t0,
                    p.boxes().empty() ? "" : " (with a message box)");
        p.act(main, WM_CLOSE);
        p.exited(120000);
    }
}

// The downloaded program's About window, with its picture inflated from the
// compressed resource, saved as about-window.bmp in the shared folder.
void aboutPicture(const Args& a)
{
    removeStore();
    Program p(a.program);
    HWND main = p.shown(kMain, 120000);
    p.chooseMenu(main, {"Help", "About"});
    HWND about = p.shown("About");
    Sleep(500); // for the X server to show what was drawn
    Capture shot = Capture::of(about);
    require(shot.taken(), "no picture of the About window");
    check(shot.save(a.shared + "\\about-window.bmp"), "the picture of the About window was not saved");
    // The picture fills most of the window: far more ink than a blank window.
    check(shot.inkIn(shot.area) > (shot.area.right - shot.area.left) * (shot.area.bottom - shot.area.top) / 4,
          "the About window shows no picture");
}

const std::map<std::string, void (*)(const Args&)> kCases = {
    {"startup-time", startupTime},
    {"about-picture", aboutPicture},
    {"hears-commands", hearsCommands},
    {"microphone-lost", microphoneLost},
    {"sapi-missing", sapiMissing},
};

} // namespace

int main(int argc, char** argv)
{
    if (argc < 4 || !kCases.count(argv[1])) {
        std::fprintf(stderr, "usage: quillmere-listen-driver CASE PROGRAM.exe SHARED-FOLDER\n");
        return 2;
    }
    Args args{windowsPath(argv[2]), windowsPath(argv[3])};
    std::printf("case %s with %s\n", argv[1], args.program.c_str());
    std::fflush(stdout);
    return runCase(argv[1], [&] { kCases.at(argv[1])(args); });
}
