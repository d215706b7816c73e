#include "StoreFiles.h"

#include "FileIO.h"
#include "StoreLock.h"

namespace qm {

namespace {

constexpr std::string_view kCrLf = "\r\n";
constexpr std::string_view kWordsHeader = "[Grammer]\r\ntype=cfg\r\n[<start>]\r\n";

std::string readStoreFile(const std::string& path)
{
    try {
        return fileio::readAll(path);
    } catch (const std::runtime_error& e) {
        throw StoreError(path, e.what());
    }
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
    for (const std::string* path : {&p.words, &p.dirs, &p.desc}) {
        try {
            fileio::createIfMissing(*path);
        } catch (const std::runtime_error& e) {
            throw StoreError(*path, e.what());
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
        if (bytes[i] != '\r')
            continue;
        if (i > start)
            lines.emplace_back(bytes, start, i - start);
        if (i + 1 < n && bytes[i + 1] == '\n')
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
    const StoreLock lock(StoreFolderOf(paths.words), StoreLock::Mode::Shared);
    const auto words = StoreLines(readStoreFile(paths.words));
    appendEach(paths.words, words, [&](const std::string& line) {
        if (line.compare(0, kPhrasePrefix.size(), kPhrasePrefix) != 0)
            return;
        std::string phrase = line.substr(kPhrasePrefix.size());
        table.List1.AddItem(phrase);
        copy.List1.AddItem(std::move(phrase));
    });

    const auto dirs = StoreLines(readStoreFile(paths.dirs));
    appendEach(paths.dirs, dirs, [&](const std::string& line) {
        table.List2.AddItem(line);
        copy.List3.AddItem(TargetFileName(line));
    });

    const auto desc = StoreLines(readStoreFile(paths.desc));
    appendEach(paths.desc, desc, [&](const std::string& line) {
        table.List3.AddItem(line);
        copy.List2.AddItem(line);
    });
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

// The phrase list bounds every file: items past its count are not written.
std::string ItemsFileBytes(const ListBox& phrases, const ListBox& items)
{
    std::string out;
    const int n = phrases.ListCount();
    for (int i = 0; i < n; ++i) {
        const std::string& item = items.List(i);
        if (item.empty())
            continue;
        out += item;
        out += kCrLf;
        out += kCrLf;
    }
    return out;
}

void SaveStoreFiles(const StorePaths& paths, CommandTable& table)
{
    table.List1.setListIndex(-1);
    const StoreLock lock(StoreFolderOf(paths.words), StoreLock::Mode::Exclusive);
    std::vector<fileio::Replacement> files{
        {paths.words, WordsFileBytes(table)},
        {paths.dirs, ItemsFileBytes(table.List1, table.List2)},
        {paths.desc, ItemsFileBytes(table.List1, table.List3)},
    };
    try {
        fileio::replaceAll(files);
    } catch (const std::runtime_error& e) {
        // The message starts with the path that failed; keep it whole.
        std::string what = e.what();
        for (const auto& f : files)
            if (what.rfind(f.path, 0) == 0)
                throw StoreError(f.path, what.substr(f.path.size() + 2));
        throw StoreError(paths.words, what);
    }
}

} // namespace qm
