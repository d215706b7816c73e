#include "StoreFiles.h"

#include "FileIO.h"
#include "StoreLock.h"

#include <ctime>

namespace qm {

namespace {

constexpr std::string_view kCrLf = "\r\n";
constexpr std::string_view kWordsHeader = "[Grammer]\r\ntype=cfg\r\n[<start>]\r\n";

std::string readStoreFile(const std::string& path, fileio::Stamp& stamp)
{
    try {
        auto r = fileio::readRegular(path);
        stamp = r.stamp;
        return std::move(r.bytes);
    } catch (const fileio::Error& e) {
        throw StoreError(path, e.reason());
    }
}

std::string storeFolder(const StorePaths& paths) { return fileio::sys::folderOf(paths.words); }

void readInto(const StorePaths& paths, CommandTable& table, DisplayCopy& copy, StoreSeen& seen);

std::string entries(size_t n) { return std::to_string(n) + (n == 1 ? " entry" : " entries"); }

// words.txt.2026-12-10-0915.bak, or -2, -3 … when that name is taken.
// Every non-empty file, or with onlyChanged those whose stamp differs from
// what the program last saw.
std::vector<std::string> keepBackups(const StorePaths& paths, bool onlyChanged)
{
    const StoreSeen& seen = *paths.seen;
    char stamp[32] = "";
    std::time_t now = std::time(nullptr);
    if (const std::tm* t = std::localtime(&now))
        std::strftime(stamp, sizeof stamp, "%Y-%m-%d-%H%M", t);
    std::vector<std::string> made;
    const std::pair<const std::string*, const fileio::Stamp*> files[] = {
        {&paths.words, &seen.words}, {&paths.dirs, &seen.dirs}, {&paths.desc, &seen.desc}};
    for (const auto& [path, seenStamp] : files) {
        const fileio::Stamp onDisk = fileio::stampOf(*path);
        if (!onDisk.exists || onDisk.size == 0)
            continue; // nothing there to lose
        if (onlyChanged && onDisk == *seenStamp)
            continue;
        for (int n = 1;; ++n) {
            std::string name = *path + "." + stamp;
            if (n > 1) {
                name += '-';
                name += std::to_string(n);
            }
            name += ".bak";
            try {
                if (fileio::keepAs(*path, name)) {
                    made.push_back(std::move(name));
                    break;
                }
            } catch (const fileio::Error& e) {
                throw StoreError(*path, "no backup could be made of it before saving: " + e.reason());
            }
            if (n >= 1000)
                throw StoreError(*path, "no free backup name beside it");
        }
    }
    return made;
}

// Appends one file's items; a list that is full is reported against the file.
template <typename Append>
void appendEach(const std::string& path, const std::vector<std::string>& lines, Append append)
{
    try {
        for (const auto& line : lines)
            append(line);
    } catch (const ControlError&) {
        throw StoreError(path, "holds more than 32,767 items");
    }
}

} // namespace

StorePaths EnsureStoreFiles(const std::string& storeDirectory)
{
    StorePaths p{fileio::joinPath(storeDirectory, "words.txt"), fileio::joinPath(storeDirectory, "dirs.txt"),
                 fileio::joinPath(storeDirectory, "desc.txt")};
    try {
        fileio::recoverSwitch(storeDirectory, {p.words, p.dirs, p.desc});
    } catch (const fileio::Error& e) {
        throw StoreError(e.path(), "a save cut off earlier could not be completed: " + e.reason());
    }
    for (const std::string* path : {&p.words, &p.dirs, &p.desc}) {
        try {
            fileio::createIfMissing(*path);
        } catch (const fileio::Error& e) {
            throw StoreError(*path, e.reason());
        }
    }
    return p;
}

std::vector<std::string> StoreLines(const std::string& bytes)
{
    std::vector<std::string> lines;
    size_t start = 0;
    const size_t n = bytes.size();
    for (size_t i = 0; i < n; ++i) {
        if (bytes[i] != '\r' && bytes[i] != '\n')
            continue;
        if (i > start)
            lines.emplace_back(bytes, start, i - start);
        if (bytes[i] == '\r' && i + 1 < n && bytes[i + 1] == '\n')
            ++i;
        start = i + 1;
    }
    if (start < n)
        lines.emplace_back(bytes, start, n - start);
    return lines;
}

std::string TargetFileName(const std::string& target)
{
    auto slash = target.rfind('\\');
    return slash == std::string::npos ? target : target.substr(slash + 1);
}

void ReadStoreFiles(const StorePaths& paths, CommandTable& table, DisplayCopy& copy)
{
    StoreSeen& seen = *paths.seen;
    // Until this read proves otherwise, what is on disk has not been seen
    // whole; the stamps let a later look tell whether it changed since. A
    // read that cannot get the lock has not seen the files either.
    seen.clean = false;
    try {
        const StoreLock lock(storeFolder(paths), StoreLock::Mode::Shared);
        seen.words = fileio::stampOf(paths.words);
        seen.dirs = fileio::stampOf(paths.dirs);
        seen.desc = fileio::stampOf(paths.desc);
        readInto(paths, table, copy, seen);
    } catch (const StoreError& e) {
        seen.why = e.what();
        throw;
    }
}

namespace {

void readInto(const StorePaths& paths, CommandTable& table, DisplayCopy& copy, StoreSeen& seen)
{
    const int phrasesBefore = table.List1.ListCount(), targetsBefore = table.List2.ListCount(),
              kindsBefore = table.List3.ListCount();
    const auto words = StoreLines(readStoreFile(paths.words, seen.words));
    appendEach(paths.words, words, [&](const std::string& line) {
        if (line.compare(0, kPhrasePrefix.size(), kPhrasePrefix) != 0)
            return;
        std::string phrase = line.substr(kPhrasePrefix.size());
        table.List1.AddItem(phrase);
        copy.List1.AddItem(std::move(phrase));
    });

    const auto dirs = StoreLines(readStoreFile(paths.dirs, seen.dirs));
    appendEach(paths.dirs, dirs, [&](const std::string& line) {
        table.List2.AddItem(line);
        copy.List3.AddItem(TargetFileName(line));
    });

    const auto desc = StoreLines(readStoreFile(paths.desc, seen.desc));
    appendEach(paths.desc, desc, [&](const std::string& line) {
        table.List3.AddItem(line);
        copy.List2.AddItem(line);
    });

    const size_t phrases = static_cast<size_t>(table.List1.ListCount() - phrasesBefore),
                 targets = static_cast<size_t>(table.List2.ListCount() - targetsBefore),
                 kinds = static_cast<size_t>(table.List3.ListCount() - kindsBefore);
    if (phrases != targets || phrases != kinds) {
        seen.why = "the three files hold different numbers of entries (words.txt " + entries(phrases) +
                   ", dirs.txt " + entries(targets) + ", desc.txt " + entries(kinds) + ")";
        return;
    }
    seen.clean = true;
    seen.why.clear();
}

} // namespace

bool StoreChangedOnDisk(const StorePaths& paths)
{
    const StoreSeen& seen = *paths.seen;
    return fileio::stampOf(paths.words) != seen.words || fileio::stampOf(paths.dirs) != seen.dirs ||
           fileio::stampOf(paths.desc) != seen.desc;
}

std::string WordsFileBytes(const CommandTable& table)
{
    std::string out(kWordsHeader);
    const int n = table.List1.ListCount();
    out.reserve(out.size() + static_cast<size_t>(n) * 32);
    for (int i = 0; i < n; ++i) {
        const std::string& phrase = table.List1.List(i);
        if (phrase.empty())
            continue;
        out += kPhrasePrefix;
        out += phrase;
        out += kCrLf;
    }
    out += kCrLf;
    return out;
}

// The phrase list bounds every file: items past its count are not written,
// and neither is the item of an entry whose phrase is empty, which words.txt
// leaves out, so that the files stay in line.
std::string ItemsFileBytes(const ListBox& phrases, const ListBox& items)
{
    std::string out;
    const int n = phrases.ListCount();
    for (int i = 0; i < n; ++i) {
        if (phrases.List(i).empty())
            continue;
        const std::string& item = items.List(i);
        if (item.empty())
            continue;
        out += item;
        out += kCrLf;
        out += kCrLf;
    }
    return out;
}

SaveReport SaveStoreFiles(const StorePaths& paths, CommandTable& table)
{
    StoreSeen& seen = *paths.seen;
    table.List1.setListIndex(-1);
    const StoreLock lock(storeFolder(paths), StoreLock::Mode::Exclusive);
    std::vector<fileio::Replacement> files{
        {paths.words, WordsFileBytes(table)},
        {paths.dirs, ItemsFileBytes(table.List1, table.List2)},
        {paths.desc, ItemsFileBytes(table.List1, table.List3)},
    };
    SaveReport report;
    // Never write over bytes the program has not seen: keep them first.
    if (!seen.clean || StoreChangedOnDisk(paths)) {
        report.why = !seen.clean ? seen.why : "the files were changed on disk since they were read";
        report.backups = keepBackups(paths, seen.clean);
    }
    try {
        fileio::replaceAll(storeFolder(paths), files);
    } catch (const fileio::SwitchError& e) {
        throw StoreError(e.path(), e.reason(), e.outcome());
    }
    seen.clean = true;
    seen.why.clear();
    seen.words = fileio::stampOf(paths.words);
    seen.dirs = fileio::stampOf(paths.dirs);
    seen.desc = fileio::stampOf(paths.desc);
    return report;
}

std::string SaveReport::message() const
{
    if (backups.empty())
        return {};
    std::string out = "Before saving, the word list files were kept as they were on disk";
    if (!why.empty())
        out += ", because " + why;
    out += ":";
    for (const auto& b : backups)
        out += "\r\n" + b;
    return out;
}

std::string SaveFailedMessage(const std::string& lead, const StoreError& e)
{
    std::string out = lead + " " + e.file() + ": " + e.reason() + "\r\n";
    switch (e.outcome()) {
    case StoreError::Outcome::Unchanged:
        return out + "Nothing was written: the three files keep what they held before.";
    case StoreError::Outcome::RolledBack:
        return out + "The files already replaced were put back: the three files keep what they held before.";
    case StoreError::Outcome::Unfinished:
        break;
    }
    return out + "The save was cut off half-way and the files are not all from the same save yet; the program sets "
                 "this right the next time it starts.";
}

} // namespace qm
