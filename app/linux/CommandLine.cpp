#include "CommandLine.h"

#include "EventLog.h"

#include <cstdio>
#include <cstring>
#include <string_view>

#ifndef QM_VERSION
#error "QM_VERSION names the program's version"
#endif

namespace qm {

namespace {

constexpr const char* kUsage =
    "Usage: quillmere [--verbose]\n"
    "Quillmere Voice Command sits in the notification area and listens: say a\n"
    "phrase of your word list and its command runs.\n"
    "\n"
    "  --verbose   write one line to standard error for each event: a phrase\n"
    "              heard (with its score) or ignored (and why), a command run\n"
    "              or failed (and why)\n"
    "  --version   print the version and exit\n"
    "  --help      print this help and exit\n"
    "\n"
    "The word list lives in $XDG_DATA_HOME/quillmere (by default\n"
    "~/.local/share/quillmere). Qt's own options, such as -platform, are\n"
    "accepted too.\n";

void logToStderr(std::string_view line)
{
    std::fprintf(stderr, "quillmere: %.*s\n", static_cast<int>(line.size()), line.data());
    std::fflush(stderr);
}

} // namespace

int ReadProgramOptions(int& argc, char** argv)
{
    int kept = 1;
    for (int i = 1; i < argc; ++i) {
        const std::string_view arg = argv[i];
        if (arg == "--help" || arg == "-h") {
            std::fputs(kUsage, stdout);
            return 0;
        }
        if (arg == "--version") {
            std::printf("quillmere (Quillmere Voice Command) %s\n", QM_VERSION);
            return 0;
        }
        if (arg == "--verbose" || arg == "-v")
            setEventLogSink(logToStderr);
        else
            argv[kept++] = argv[i];
    }
    argc = kept;
    argv[argc] = nullptr;
    return -1;
}

bool NoArgumentsLeft(int argc, char** argv)
{
    if (argc <= 1)
        return true;
    std::fprintf(stderr, "quillmere: unknown argument \"%s\"\nTry \"quillmere --help\".\n", argv[1]);
    return false;
}

} // namespace qm
