// The real quillmere.exe under Wine, started on store files that it cannot
// take in whole, then closed with its close box. Every byte of the old files
// must still exist afterwards, in the store file or in a backup beside it.
//
//   quillmere-store-driver CASE PROGRAM.exe
//   CASE: too-many (32,768 entries, one too many), no-desc (desc.txt
//   missing at start-up), desc-locked (desc.txt held open by another program,
//   so that it cannot be read), lf-ends (LF line ends, as a Unix editor
//   leaves them), hand-edit (an entry added by another program while this one
//   runs)
#include "Driver.h"

#include <cstdio>
#include <functional>
#include <map>

using namespace driver;

namespace {

const char* const kMain = "Quillmere Voice Vuredizara Program";

std::string storeFolder()
{
    std::string p = storePath("words.txt");
    return p.substr(0, p.rfind('\\'));
}

// The backups beside the store, by name.
std::vector<std::string> backups()
{
    std::vector<std::string> names;
    WIN32_FIND_DATAA data{};
    HANDLE h = FindFirstFileA((storeFolder() + "\\*.txt.*.bak").c_str(), &data);
    if (h == INVALID_HANDLE_VALUE)
        return names;
    do
        names.emplace_back(data.cFileName);
    while (FindNextFileA(h, &data));
    FindClose(h);
    return names;
}

void removeBackups()
{
    for (const auto& name : backups())
        DeleteFileA((storeFolder() + "\\" + name).c_str());
}

void startFrom(const StoreBytes& old, bool withDesc)
{
    removeStore();
    removeBackups();
    writeFile(storePath("words.txt"), old.words);
    writeFile(storePath("dirs.txt"), old.dirs);
    if (withDesc)
        writeFile(storePath("desc.txt"), old.desc);
}

// Starts the program, closes its main window, and returns the texts of the
// message boxes shown at the close.
std::vector<std::string> startAndClose(const std::string& program, std::vector<std::string>* atStart = nullptr,
                                       const std::function<void()>& whileOpen = nullptr)
{
    Program p(program);
    HWND main = p.shown(kMain, 60000);
    if (atStart)
        *atStart = p.boxes();
    if (whileOpen)
        whileOpen();
    p.forgetBoxes();
    p.act(main, WM_CLOSE);
    DWORD code = 99;
    require(p.exited(60000, &code), "the program did not end after its main window was closed");
    check(code == 0, "exit code " + std::to_string(code));
    return p.boxes();
}

// Every old file's bytes are in its store file or in one of the backups,
// and the close named each backup it made.
void checkKept(const StoreBytes& old, const std::vector<std::string>& closeBoxes)
{
    std::string said;
    for (const auto& b : closeBoxes)
        said += b + "\n";
    const std::pair<const char*, const std::string*> files[] = {
        {"words.txt", &old.words}, {"dirs.txt", &old.dirs}, {"desc.txt", &old.desc}};
    for (const auto& [name, bytes] : files) {
        if (bytes->empty())
            continue;
        std::string where;
        if (readFile(storePath(name)) == *bytes)
            where = name;
        for (const auto& b : backups())
            if (where.empty() && b.rfind(std::string(name) + ".", 0) == 0 &&
                readFile(storeFolder() + "\\" + b) == *bytes) {
                where = b;
                check(said.find(b) != std::string::npos, "the close did not name the backup " + b + ": " + escaped(said));
            }
        check(!where.empty(), std::string("the old bytes of ") + name + " (" + std::to_string(bytes->size()) +
                                  " bytes) are gone; backups: " + show(backups()));
        if (!where.empty())
            std::printf(" the old %s is kept as %s\n", name, where.c_str());
    }
}

const std::vector<Entry> kThree = {
    {"open notes", "C:\\Tools\\notes.exe", "Open"},
    {"next", "String holder", "Next Track"},
    {"say hi", "Hello there", "Message Prompt"},
};

void tooMany(const std::string& program)
{
    std::vector<Entry> entries;
    for (int i = 0; i < 32768; ++i)
        entries.push_back({"phrase " + std::to_string(i), "C:\\target " + std::to_string(i), "Open"});
    const StoreBytes old = canonicalStore(entries);
    startFrom(old, true);
    std::vector<std::string> atStart;
    const auto atClose = startAndClose(program, &atStart);
    bool told = false;
    for (const auto& b : atStart)
        told = told || b.find("words.txt") != std::string::npos;
    check(told, "the start-up did not say which file could not be read: " + show(atStart));
    checkKept(old, atClose);
}

void noDesc(const std::string& program)
{
    const StoreBytes old = canonicalStore(kThree);
    startFrom(old, false);
    checkKept({old.words, old.dirs, ""}, startAndClose(program));
}

void descLocked(const std::string& program)
{
    const StoreBytes old = canonicalStore(kThree);
    startFrom(old, true);
    HANDLE held = CreateFileA(storePath("desc.txt").c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    require(held != INVALID_HANDLE_VALUE, "desc.txt could not be held open");
    std::vector<std::string> atStart;
    const auto atClose = startAndClose(program, &atStart);
    CloseHandle(held);
    bool told = false;
    for (const auto& b : atStart)
        told = told || b.find("desc.txt") != std::string::npos;
    check(told, "the start-up did not say that desc.txt could not be read: " + show(atStart));
    std::string said;
    for (const auto& b : atClose)
        said += b;
    checkKept(old, atClose);
    // A file that cannot be read cannot be kept either: nothing is saved.
    check(said.find("keep what they held before") != std::string::npos,
          "the close did not say that the files keep their bytes: " + escaped(said));
}

void lfEnds(const std::string& program)
{
    const StoreBytes crlf = canonicalStore(kThree);
    auto lf = [](std::string s) {
        std::string out;
        for (char c : s)
            if (c != '\r')
                out += c;
        return out;
    };
    startFrom({lf(crlf.words), lf(crlf.dirs), lf(crlf.desc)}, true);
    const auto atClose = startAndClose(program);
    check(backups().empty(), "files with LF line ends were not read cleanly: " + show(backups()));
    // The same three entries, written back with CR LF.
    checkStore(crlf, "after closing");
}

// Another program adds an entry while this one runs; the close keeps it.
void handEdit(const std::string& program)
{
    startFrom(canonicalStore({kThree[0], kThree[2]}), true);
    const StoreBytes edited = canonicalStore(kThree);
    startAndClose(program, nullptr, [&] {
        Sleep(50); // a later time stamp than the program's own read
        writeStore(edited);
    });
    checkStore(edited, "after closing");
    check(backups().empty(), "a clean hand edit was backed up: " + show(backups()));
}

const std::map<std::string, void (*)(const std::string&)> kCases = {
    {"hand-edit", handEdit},
    {"too-many", tooMany}, {"no-desc", noDesc}, {"desc-locked", descLocked}, {"lf-ends", lfEnds}};

} // namespace

int main(int argc, char** argv)
{
    if (argc < 3 || !kCases.count(argv[1])) {
        std::fprintf(stderr, "usage: quillmere-store-driver too-many|no-desc|desc-locked|lf-ends|hand-edit PROGRAM.exe\n");
        return 2;
    }
    std::printf("case %s\n", argv[1]);
    std::fflush(stdout);
    try {
        kCases.at(argv[1])(windowsPath(argv[2]));
    } catch (const CaseAborted&) {
    } catch (const std::exception& e) {
        check(false, e.what());
    }
    std::printf("%s: %d failure(s)\n", argv[1], failures());
    return failures() == 0 ? 0 : 1;
}
