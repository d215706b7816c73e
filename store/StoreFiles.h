#pragma once
// words.txt, dirs.txt and desc.txt: the Command table between runs. words.txt
// is also the recognizer's grammar, so its layout is fixed.
#include "CommandTable.h"
#include "FileIO.h"

#include <memory>
#include <stdexcept>
#include <string>

namespace qm {

class StoreError : public std::runtime_error {
public:
    using Outcome = fileio::Outcome;
    StoreError(std::string file, std::string reason, Outcome outcome = Outcome::Unchanged)
        : std::runtime_error(file + ": " + reason), file_(std::move(file)), reason_(std::move(reason)),
          outcome_(outcome) {}
    const std::string& file() const { return file_; }
    const std::string& reason() const { return reason_; }
    // For a failed save: where it left the three files.
    Outcome outcome() const { return outcome_; }

private:
    std::string file_;
    std::string reason_;
    Outcome outcome_;
};

// What the program last saw of the store: whether that read took in every
// byte of the three files and found them in line with each other, and each
// file's stamp as it was read or saved. A save over anything else first keeps
// the files as they are.
struct StoreSeen {
    bool clean = false;
    std::string why; // what was wrong when not clean
    fileio::Stamp words, dirs, desc;
};

struct StorePaths {
    std::string words, dirs, desc;
    // Shared by every copy of these paths.
    std::shared_ptr<StoreSeen> seen = std::make_shared<StoreSeen>();
};

// What a save did besides writing: the backups it made first, if any.
struct SaveReport {
    std::vector<std::string> backups;
    std::string why;
    // The message for the user when backups were made; empty otherwise.
    std::string message() const;
};

// The message for a save that failed, naming the file once and telling the
// truth about where the three files are.
std::string SaveFailedMessage(const std::string& lead, const StoreError& e);

// Works out the three paths under the store directory, finishes or undoes a
// save that was cut off, and creates any missing file, empty. Existing files
// are never otherwise touched.
StorePaths EnsureStoreFiles(const std::string& storeDirectory);

// Appends every entry of the three files to the main window's lists and to the
// word list window's copy. Never empties a list. Records whether the read was
// clean: every file read whole and all three giving the same number of entries.
void ReadStoreFiles(const StorePaths& paths, CommandTable& table, DisplayCopy& copy);

// Whether a store file changed on disk since the program last read or saved it.
bool StoreChangedOnDisk(const StorePaths& paths);

// Writes the three files from the Command table. Either all three files get
// their new bytes or, on failure, all keep their old ones. When the last read
// was not clean, or a file changed since, the files on disk are first kept
// as time-stamped backups beside them, which the report names.
SaveReport SaveStoreFiles(const StorePaths& paths, CommandTable& table);

// The bytes each file gets; exposed so the layout can be checked without disk.
std::string WordsFileBytes(const CommandTable& table);
std::string ItemsFileBytes(const ListBox& phrases, const ListBox& items);

// Splits a store file into its non-empty lines: a line ends at CR LF, a lone
// CR or a lone LF, so files from any editor read alike.
std::vector<std::string> StoreLines(const std::string& bytes);

// The part of a target the word list window shows: after its last backslash.
std::string TargetFileName(const std::string& target);

inline constexpr std::string_view kPhrasePrefix = "<start>=";

} // namespace qm
