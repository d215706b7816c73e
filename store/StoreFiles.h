#pragma once
// words.txt, dirs.txt and desc.txt: the Command table between runs. words.txt
// is also the recognizer's grammar, so its layout is fixed.
#include "CommandTable.h"

#include <stdexcept>
#include <string>

namespace qm {

class StoreError : public std::runtime_error {
public:
    StoreError(std::string file, std::string reason)
        : std::runtime_error(file + ": " + reason), file_(std::move(file)), reason_(std::move(reason)) {}
    const std::string& file() const { return file_; }
    const std::string& reason() const { return reason_; }

private:
    std::string file_;
    std::string reason_;
};

struct StorePaths {
    std::string words, dirs, desc;
};

// Works out the three paths under the store directory and creates any missing
// file, empty. Existing files are never touched.
StorePaths EnsureStoreFiles(const std::string& storeDirectory);

// Appends every entry of the three files to the main window's lists and to the
// word list window's copy. Never empties a list.
void ReadStoreFiles(const StorePaths& paths, CommandTable& table, DisplayCopy& copy);

// Writes the three files from the Command table. Either all three files get
// their new bytes or, on failure, all keep their old ones.
void SaveStoreFiles(const StorePaths& paths, CommandTable& table);

// The bytes each file gets; exposed so the layout can be checked without disk.
std::string WordsFileBytes(const CommandTable& table);
std::string ItemsFileBytes(const ListBox& phrases, const ListBox& items);

// Splits a store file into its non-empty lines: a line ends at CR LF or a lone
// CR; a lone LF stays in the text.
std::vector<std::string> StoreLines(const std::string& bytes);

// The part of a target the word list window shows: after its last backslash.
std::string TargetFileName(const std::string& target);

inline constexpr std::string_view kPhrasePrefix = "<start>=";

} // namespace qm
