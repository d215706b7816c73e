// Saves that fail, are cut off, or would write over bytes the program never
// saw: the three store files end whole, old or new, and nothing is lost.
#include "StoreFiles.h"
#include "StoreLock.h"
#include "TestFolder.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <set>

using namespace qm;
using fileio::Step;
using Outcome = StoreError::Outcome;

namespace {

constexpr const char* kHeader = "[Grammer]\r\ntype=cfg\r\n[<start>]\r\n";

struct Lists {
    ListBox l1{"List1"}, l2{"List2"}, l3{"List3"};
    ListBox c1{"List1"}, c2{"List2"}, c3{"List3"};
    CommandTable table{l1, l2, l3};
    DisplayCopy copy{c1, c2, c3};
};

struct Bytes {
    std::string words, dirs, desc;
    bool operator==(const Bytes&) const = default;
};
[[maybe_unused]] void PrintTo(const Bytes& b, std::ostream* os) { *os << b.words << "|" << b.dirs << "|" << b.desc; }

Bytes onDisk(const test::TestFolder& dir) { return {dir.read("words.txt"), dir.read("dirs.txt"), dir.read("desc.txt")}; }

// The folder's files but the lock file, which stays between saves by design.
std::set<std::string> namesIn(const test::TestFolder& dir)
{
    std::set<std::string> names;
    for (const auto& e : std::filesystem::directory_iterator(dir.dir()))
        if (e.path().filename() != kStoreLockName)
            names.insert(e.path().filename().string());
    return names;
}

const std::set<std::string> kJustTheStore{"words.txt", "dirs.txt", "desc.txt"};

// Resets the fault seam however a test ends.
struct Seam {
    explicit Seam(fileio::FaultHook h) { fileio::setFaultHook(std::move(h)); }
    ~Seam() { fileio::setFaultHook(nullptr); }
};

// A store holding two entries, read cleanly, and a table of three to save.
struct Store {
    test::TestFolder dir;
    StorePaths paths;
    Lists l;
    Bytes before, after;

    Store()
    {
        paths = EnsureStoreFiles(dir.dir());
        l.table.append("one", "C:\\one.exe", "Open");
        l.table.append("two", "String holder", "Next Track");
        SaveStoreFiles(paths, l.table);
        before = onDisk(dir);
        l.table.clear();
        ReadStoreFiles(paths, l.table, l.copy);
        l.table.append("three", "hello", "Message Prompt");
        after = {std::string(kHeader) + "<start>=one\r\n<start>=two\r\n<start>=three\r\n\r\n",
                 "C:\\one.exe\r\n\r\nString holder\r\n\r\nhello\r\n\r\n",
                 "Open\r\n\r\nNext Track\r\n\r\nMessage Prompt\r\n\r\n"};
    }
    const std::string& path(int i) const { return i == 0 ? paths.words : i == 1 ? paths.dirs : paths.desc; }
};

// Stands for the process dying: it is no file error, so nothing catches it
// and the switch is left exactly where it was.
struct Killed {};

struct FaultCase {
    const char* what;
    Step step;
    int file;      // which store file the step fails on; -1 for the journal
    Outcome outcome;
    Step alsoStep; // a second failure, during the roll-back
    int alsoFile = -2;
};
[[maybe_unused]] void PrintTo(const FaultCase& c, std::ostream* os) { *os << c.what; }

class SaveFaults : public testing::TestWithParam<FaultCase> {};

} // namespace

TEST_P(SaveFaults, EndWithThreeOldFilesAndAMessageThatSaysSo)
{
    const FaultCase& c = GetParam();
    Store s;
    const std::string failing = c.file >= 0 ? s.path(c.file) : "";
    {
        Seam seam([&](Step st, const std::string& path) -> std::string {
            if (st == c.step && (c.file < 0 || path == failing))
                return "injected failure";
            if (st == c.alsoStep && c.alsoFile >= 0 && path == s.path(c.alsoFile))
                return "injected failure of the roll-back";
            return "";
        });
        try {
            SaveStoreFiles(s.paths, s.l.table);
            FAIL() << "the save must fail";
        } catch (const StoreError& e) {
            if (c.file >= 0) {
                EXPECT_EQ(e.file(), failing);
            }
            EXPECT_EQ(e.reason(), "injected failure");
            EXPECT_EQ(e.outcome(), c.outcome);
            const std::string msg = SaveFailedMessage("The word list could not be saved to", e);
            EXPECT_EQ(msg.find(e.file()), msg.rfind(e.file())) << "the file is named once: " << msg;
            const bool keptOld = msg.find("keep what they held before") != std::string::npos;
            EXPECT_EQ(keptOld, c.outcome != Outcome::Unfinished) << msg;
        }
    }
    if (c.outcome == Outcome::Unfinished) {
        // The next start sets the store right from the journal.
        EXPECT_NE(onDisk(s.dir), s.before);
        EnsureStoreFiles(s.dir.dir());
    }
    EXPECT_EQ(onDisk(s.dir), s.before);
    EXPECT_EQ(namesIn(s.dir), kJustTheStore) << "no temporary, kept or journal file is left";

    // Nothing stays open or locked: the next save goes through.
    SaveStoreFiles(s.paths, s.l.table);
    EXPECT_EQ(onDisk(s.dir), s.after);
}

INSTANTIATE_TEST_SUITE_P(
    Table, SaveFaults,
    testing::Values(FaultCase{"temp_words", Step::WriteTemp, 0, Outcome::Unchanged, Step::Restore},
                    FaultCase{"temp_dirs", Step::WriteTemp, 1, Outcome::Unchanged, Step::Restore},
                    FaultCase{"temp_desc", Step::WriteTemp, 2, Outcome::Unchanged, Step::Restore},
                    FaultCase{"journal", Step::WriteJournal, -1, Outcome::Unchanged, Step::Restore},
                    FaultCase{"rename_words", Step::Replace, 0, Outcome::Unchanged, Step::Restore},
                    FaultCase{"rename_dirs", Step::Replace, 1, Outcome::RolledBack, Step::Restore},
                    FaultCase{"rename_desc", Step::Replace, 2, Outcome::RolledBack, Step::Restore},
                    FaultCase{"rename_desc_and_put_back_dirs", Step::Replace, 2, Outcome::Unfinished, Step::Restore, 1}),
    [](const auto& info) { return std::string(info.param.what); });

// The process dies at each step of the switch in turn; the next start shows
// the whole old table or the whole new one, never a mix.
TEST(SaveCutOff, TheNextStartFinishesOrUndoesTheSwitch)
{
    struct Cut {
        const char* what;
        Step step;
        int file;
        bool expectNew;
        int failFirst = -1; // a rename that fails first, so that a roll-back runs
    } cuts[] = {
        {"writing the first temporary file", Step::WriteTemp, 0, false},
        {"writing the last temporary file", Step::WriteTemp, 2, false},
        {"writing the journal", Step::WriteJournal, -1, false},
        {"before the first rename", Step::Replace, 0, true},
        {"after the first rename", Step::Replace, 1, true},
        {"after the second rename", Step::Replace, 2, true},
        {"rolling back, first file put back", Step::Restore, 1, false, 2},
        {"rolling back, nothing put back yet", Step::Restore, 0, false, 2},
    };
    for (const Cut& cut : cuts) {
        SCOPED_TRACE(cut.what);
        Store s;
        {
            Seam seam([&](Step st, const std::string& path) -> std::string {
                if (cut.failFirst >= 0 && st == Step::Replace && path == s.path(cut.failFirst))
                    return "injected failure";
                if (st == cut.step && (cut.file < 0 || path == s.path(cut.file)))
                    throw Killed{};
                return "";
            });
            EXPECT_THROW(SaveStoreFiles(s.paths, s.l.table), Killed);
        }
        StorePaths next = EnsureStoreFiles(s.dir.dir());
        EXPECT_EQ(onDisk(s.dir), cut.expectNew ? s.after : s.before);
        EXPECT_EQ(namesIn(s.dir), kJustTheStore);
        Lists back;
        ReadStoreFiles(next, back.table, back.copy);
        EXPECT_EQ(back.table.count(), cut.expectNew ? 3 : 2);
    }
}

// ---------------------------------------------------------------- backups

namespace {

std::vector<std::string> backupsIn(const test::TestFolder& dir)
{
    std::vector<std::string> out;
    for (const auto& name : namesIn(dir))
        if (name.size() > 4 && name.compare(name.size() - 4, 4, ".bak") == 0)
            out.push_back(name);
    return out;
}

// Every byte of each old file is still there, in its store file or a backup.
void expectKept(const test::TestFolder& dir, const Bytes& old, const SaveReport& report)
{
    ASSERT_FALSE(report.backups.empty());
    const std::string msg = report.message();
    for (const auto& [name, bytes] : {std::pair{"words.txt", old.words}, {"dirs.txt", old.dirs}, {"desc.txt", old.desc}}) {
        if (bytes.empty())
            continue;
        bool found = false;
        for (const auto& b : report.backups) {
            const std::string file = std::filesystem::path(b).filename().string();
            if (file.rfind(std::string(name) + ".", 0) == 0) {
                EXPECT_EQ(dir.read(file), bytes) << file;
                EXPECT_NE(msg.find(b), std::string::npos) << "the message names " << b << ": " << msg;
                found = true;
            }
        }
        EXPECT_TRUE(found) << "no backup of " << name << " in: " << msg;
    }
}

std::string manyEntries(int n, const std::string& line)
{
    std::string out;
    for (int i = 0; i < n; ++i)
        out += line;
    return out;
}

} // namespace

TEST(SaveBackups, AStoreNotReadCleanlyIsKeptBeforeTheFirstSave)
{
    struct Unclean {
        const char* what;
        Bytes files;
    } cases[] = {
        {"one entry too many", {"[Grammer]\r\n" + manyEntries(32768, "<start>=w\r\n"), manyEntries(32768, "t\r\n"),
                                manyEntries(32768, "Open\r\n")}},
        {"desc.txt missing, created empty", {"<start>=a\r\n<start>=b\r\n", "ta\r\n\r\ntb\r\n\r\n", ""}},
        {"files disagree", {"<start>=a\r\n", "ta\r\n\r\ntb\r\n\r\n", "Open\r\n\r\n"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        test::TestFolder dir;
        dir.write("words.txt", c.files.words);
        dir.write("dirs.txt", c.files.dirs);
        if (!c.files.desc.empty())
            dir.write("desc.txt", c.files.desc);
        StorePaths p = EnsureStoreFiles(dir.dir());
        Lists l;
        try {
            ReadStoreFiles(p, l.table, l.copy);
        } catch (const StoreError&) {
        }
        // The close saves whatever the lists hold: at worst nothing at all.
        l.table.clear();
        l.table.append("new", "x", "Show");
        SaveReport report = SaveStoreFiles(p, l.table);
        expectKept(dir, c.files, report);
        EXPECT_EQ(dir.read("desc.txt"), "Show\r\n\r\n") << "the program keeps working: the save is made";

        // Only the first save keeps a copy; the files now hold what the program saw.
        l.table.append("newer", "y", "Hide");
        const size_t backups = backupsIn(dir).size();
        EXPECT_TRUE(SaveStoreFiles(p, l.table).backups.empty());
        EXPECT_EQ(backupsIn(dir).size(), backups);
    }
}

TEST(SaveBackups, ACleanReadSavesWithoutBackupsAndAChangeOnDiskIsNoticedAndKept)
{
    test::TestFolder dir;
    dir.write("words.txt", "<start>=a\n");
    dir.write("dirs.txt", "ta\n");
    dir.write("desc.txt", "Open\n");
    StorePaths p = EnsureStoreFiles(dir.dir());
    Lists l;
    ReadStoreFiles(p, l.table, l.copy);
    EXPECT_FALSE(StoreChangedOnDisk(p));
    EXPECT_TRUE(SaveStoreFiles(p, l.table).backups.empty()) << "files with LF line ends read cleanly";
    EXPECT_TRUE(backupsIn(dir).empty());

    // A hand edit after the read, of the same length: the stamp still differs.
    const Bytes edited{std::string(kHeader) + "<start>=b\r\n\r\n", dir.read("dirs.txt"), dir.read("desc.txt")};
    std::filesystem::remove(dir.file("words.txt"));
    dir.write("words.txt", edited.words);
    EXPECT_TRUE(StoreChangedOnDisk(p));
    SaveReport first = SaveStoreFiles(p, l.table);
    expectKept(dir, {edited.words, "", ""}, first);
    EXPECT_NE(first.message().find("changed on disk"), std::string::npos) << first.message();

    // A second backup never overwrites the first.
    dir.write("words.txt", std::string(kHeader) + "<start>=c\r\n\r\n");
    SaveReport second = SaveStoreFiles(p, l.table);
    ASSERT_EQ(second.backups.size(), 1u);
    EXPECT_NE(second.backups[0], first.backups[0]);
    EXPECT_EQ(dir.read(std::filesystem::path(first.backups[0]).filename().string()), edited.words);
    EXPECT_EQ(dir.read(std::filesystem::path(second.backups[0]).filename().string()),
              std::string(kHeader) + "<start>=c\r\n\r\n");
}

TEST(StoreRead, AFileTooLargeForTheStoreIsRefusedWithItsName)
{
    test::TestFolder dir;
    StorePaths p = EnsureStoreFiles(dir.dir());
    std::filesystem::resize_file(p.dirs, fileio::kMaxStoreFileBytes + 1);
    Lists l;
    try {
        ReadStoreFiles(p, l.table, l.copy);
        FAIL();
    } catch (const StoreError& e) {
        EXPECT_EQ(e.file(), p.dirs);
        EXPECT_NE(e.reason().find("too large"), std::string::npos) << e.what();
    }
}
