// One fuzz input is three store files, separated by the two bytes 00 FF:
// words.txt, dirs.txt, desc.txt. Reading them must never crash, hang or
// trip a sanitizer, and a clean read must survive a save and a second read.
#include "GrammarReader.h"
#include "Recognizer.h"
#include "StoreFiles.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <unistd.h>

using namespace qm;

namespace {

[[noreturn]] void fault(const char* what)
{
    std::fprintf(stderr, "store fuzz: %s\n", what);
    std::abort();
}

// A folder on a memory file system where there is one: saves flush every file.
struct Folder {
    std::filesystem::path path;
    Folder()
    {
        std::filesystem::path base = std::filesystem::exists("/dev/shm") ? "/dev/shm" : std::filesystem::temp_directory_path();
        path = base / ("qm-fuzz-" + std::to_string(::getpid()));
        std::filesystem::create_directories(path);
    }
    ~Folder()
    {
        std::error_code ec;
        std::filesystem::remove_all(path, ec);
    }
};

const std::string& folder()
{
    static const Folder f;
    static const std::string dir = f.path.string();
    return dir;
}

void put(const std::string& name, const std::string& bytes)
{
    std::ofstream(std::filesystem::path(folder()) / name, std::ios::binary | std::ios::trunc) << bytes;
}

struct Lists {
    ListBox l1{"List1"}, l2{"List2"}, l3{"List3"}, c1{"List1"}, c2{"List2"}, c3{"List3"};
    CommandTable table{l1, l2, l3};
    DisplayCopy copy{c1, c2, c3};
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string input(reinterpret_cast<const char*>(data), size);
    std::string parts[3];
    size_t start = 0;
    for (int i = 0; i < 3; ++i) {
        size_t sep = i < 2 ? input.find(std::string("\0\xff", 2), start) : std::string::npos;
        parts[i] = input.substr(start, sep == std::string::npos ? std::string::npos : sep - start);
        if (sep == std::string::npos) {
            start = input.size();
        } else {
            start = sep + 2;
        }
    }
    put("words.txt", parts[0]);
    put("dirs.txt", parts[1]);
    put("desc.txt", parts[2]);

    StorePaths paths = EnsureStoreFiles(folder());
    Lists l;
    bool read = true;
    try {
        ReadStoreFiles(paths, l.table, l.copy);
    } catch (const StoreError&) {
        read = false;
    }
    try {
        if (read && ReadGrammarPhrases(paths.words) != l.l1.Items())
            fault("the grammar reader and the store read different phrases");
    } catch (const RecognizerError&) {
        fault("the grammar reader failed on a file the store read");
    }
    if (!read || !paths.seen->clean)
        return 0;

    // A clean table comes back whole, less the entries without a phrase.
    Lists want;
    for (int i = 0; i < l.table.count(); ++i)
        if (!l.table.phrase(i).empty())
            want.table.append(l.table.phrase(i), l.table.target(i), l.table.kind(i));
    if (!SaveStoreFiles(paths, l.table).backups.empty())
        fault("a clean read was backed up");
    Lists back;
    ReadStoreFiles(paths, back.table, back.copy);
    if (!paths.seen->clean)
        fault("a saved table does not read back cleanly");
    if (back.l1.Items() != want.l1.Items() || back.l2.Items() != want.l2.Items() || back.l3.Items() != want.l3.Items())
        fault("a saved table reads back different");
    return 0;
}
