// A child process saves the store in a loop and is killed with SIGKILL at a
// random moment, over and over. After every kill the store is opened as the
// program opens it at start-up, and must hold one whole table: all three
// files from the same save, the number of entries that save wrote.
//
//   store_crash_test KILLS [SEED]
#include "StoreFiles.h"

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <random>
#include <string>
#include <sys/wait.h>
#include <unistd.h>

using namespace qm;

namespace {

// Save g holds 1 + g % 9 entries, each naming g in all three of its texts.
int entriesOf(long g) { return 1 + static_cast<int>(g % 9); }

void fill(CommandTable& t, long g)
{
    t.clear();
    for (int i = 0; i < entriesOf(g); ++i) {
        const std::string tag = std::to_string(g) + "-" + std::to_string(i);
        t.append("phrase " + tag, "C:\\target " + tag, i % 2 ? "Open" : "Message Prompt " + tag);
    }
}

[[noreturn]] void saveForever(const std::string& dir, long g)
{
    // The renames themselves take microseconds; a pause before each, as on a
    // slow disk, lets many kills land between two of them.
    fileio::setFaultHook([](fileio::Step s, const std::string&) {
        if (s == fileio::Step::Replace)
            ::usleep(1000);
        return std::string();
    });
    StorePaths p = EnsureStoreFiles(dir);
    ListBox l1("List1"), l2("List2"), l3("List3");
    CommandTable t{l1, l2, l3};
    for (;; ++g) {
        fill(t, g);
        SaveStoreFiles(p, t);
    }
}

// The save the store holds, or -1 with a reason when it is not one whole save.
long wholeSave(const std::string& dir, std::string& why)
{
    StorePaths p = EnsureStoreFiles(dir);
    ListBox l1("List1"), l2("List2"), l3("List3"), c1("List1"), c2("List2"), c3("List3");
    CommandTable t{l1, l2, l3};
    DisplayCopy copy{c1, c2, c3};
    ReadStoreFiles(p, t, copy);
    if (t.count() == 0)
        return 0; // the first save has not happened yet
    const std::string& first = t.phrase(0);
    const long g = std::strtol(first.c_str() + 7, nullptr, 10);
    ListBox e1("List1"), e2("List2"), e3("List3");
    CommandTable expected{e1, e2, e3};
    fill(expected, g);
    if (l1.Items() != e1.Items() || l2.Items() != e2.Items() || l3.Items() != e3.Items()) {
        why = "the files are not from one save: " + std::to_string(l1.ListCount()) + "/" +
              std::to_string(l2.ListCount()) + "/" + std::to_string(l3.ListCount()) + " entries, first " + first +
              ", targets from " + (l2.ListCount() ? l2.List(0) : "-") + ", kinds from " +
              (l3.ListCount() ? l3.List(0) : "-");
        return -1;
    }
    if (!p.seen->clean) {
        why = "the read was not clean: " + p.seen->why;
        return -1;
    }
    return g;
}

} // namespace

int main(int argc, char** argv)
{
    const int kills = argc > 1 ? std::atoi(argv[1]) : 200;
    const unsigned seed = argc > 2 ? static_cast<unsigned>(std::atoi(argv[2])) : std::random_device{}();
    std::mt19937 rng(seed);
    // A kill is no power cut: what is on disk is what the process wrote, so a
    // memory file system, where flushing costs nothing, tests the same order.
    const std::filesystem::path base =
        std::filesystem::exists("/dev/shm") ? "/dev/shm" : std::filesystem::temp_directory_path();
    const auto dir = base / ("qm-crash-" + std::to_string(::getpid()));
    std::filesystem::create_directories(dir);
    std::uniform_int_distribution<int> delayUs(0, 20000);

    long g = 1, last = 0;
    int cutOff = 0, advanced = 0;
    for (int k = 0; k < kills; ++k) {
        pid_t child = ::fork();
        if (child == 0)
            saveForever(dir.string(), g);
        ::usleep(static_cast<useconds_t>(delayUs(rng)));
        ::kill(child, SIGKILL);
        int status = 0;
        ::waitpid(child, &status, 0);
        if (!WIFSIGNALED(status)) {
            std::fprintf(stderr, "the saving process ended by itself (status %d)\n", status);
            return 1;
        }
        if (std::filesystem::exists(dir / "quillmere-save.journal") ||
            std::filesystem::exists(dir / "quillmere-save.undo"))
            ++cutOff;
        std::string why;
        const long now = wholeSave(dir.string(), why);
        if (now < 0) {
            std::fprintf(stderr, "after kill %d (seed %u): %s\n", k + 1, seed, why.c_str());
            return 1;
        }
        if (now < last) {
            std::fprintf(stderr, "after kill %d (seed %u): save %ld went back to %ld\n", k + 1, seed, last, now);
            return 1;
        }
        advanced += now > last;
        last = now;
        g = now + 1;
    }
    std::filesystem::remove_all(dir);
    std::printf("%d kills (seed %u): every start found one whole save; %d kills fell inside a switch, %d after a "
                "save had landed\n",
                kills, seed, cutOff, advanced);
    return 0;
}
