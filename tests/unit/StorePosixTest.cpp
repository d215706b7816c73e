// Store files as other tools leave them on Linux: pipes, devices, symbolic
// links, names planted beside the store.
#include "StoreFiles.h"
#include "TestFolder.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <sys/stat.h>
#include <unistd.h>

using namespace qm;
namespace fs = std::filesystem;

namespace {

struct Lists {
    ListBox l1{"List1"}, l2{"List2"}, l3{"List3"};
    ListBox c1{"List1"}, c2{"List2"}, c3{"List3"};
    CommandTable table{l1, l2, l3};
    DisplayCopy copy{c1, c2, c3};
};

} // namespace

// None of these may block, eat the memory, or go unnamed.
TEST(StorePosix, OnlyRegularFilesAreRead)
{
    struct Case {
        const char* what;
        std::function<void(const std::string&)> make;
        const char* reason;
    } cases[] = {
        {"a pipe", [](const std::string& p) { ASSERT_EQ(::mkfifo(p.c_str(), 0644), 0); }, "pipe"},
        {"an endless device", [](const std::string& p) { fs::create_symlink("/dev/zero", p); }, "device"},
        {"a folder", [](const std::string& p) { fs::create_directory(p); }, "directory"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        test::TestFolder dir;
        c.make(dir.file("desc.txt"));
        StorePaths p{dir.file("words.txt"), dir.file("dirs.txt"), dir.file("desc.txt")};
        fileio::createIfMissing(p.words);
        fileio::createIfMissing(p.dirs);
        Lists l;
        try {
            ReadStoreFiles(p, l.table, l.copy);
            FAIL();
        } catch (const StoreError& e) {
            EXPECT_EQ(e.file(), p.desc);
            EXPECT_NE(std::string(e.what()).find(c.reason), std::string::npos) << e.what();
        }
    }
}

TEST(StorePosix, ASymlinkedStoreFileIsWrittenThroughAndStaysALink)
{
    test::TestFolder dir;
    fs::create_directory(dir.file("synced"));
    dir.write("synced/words.txt", "<start>=old\r\n");
    fs::create_symlink(dir.file("synced/words.txt"), dir.file("words.txt"));
    StorePaths p = EnsureStoreFiles(dir.dir());
    Lists l;
    dir.write("dirs.txt", "t\r\n");
    dir.write("desc.txt", "Open\r\n");
    ReadStoreFiles(p, l.table, l.copy);
    l.table.append("new", "u", "Show");
    SaveStoreFiles(p, l.table);
    EXPECT_TRUE(fs::is_symlink(dir.file("words.txt")));
    EXPECT_EQ(dir.read("synced/words.txt"), "[Grammer]\r\ntype=cfg\r\n[<start>]\r\n<start>=old\r\n<start>=new\r\n\r\n");
    EXPECT_EQ(std::distance(fs::directory_iterator(dir.file("synced")), fs::directory_iterator()), 1)
        << "no temporary file is left in the link's target folder";
}

TEST(StorePosix, ALinkWhoseTargetIsGoneIsReportedThenMadeAnewBySaving)
{
    test::TestFolder dir;
    fs::create_directory(dir.file("synced"));
    fs::create_symlink("synced/desc.txt", dir.file("desc.txt"));
    dir.write("words.txt", "<start>=a\r\n");
    dir.write("dirs.txt", "t\r\n");
    StorePaths p = EnsureStoreFiles(dir.dir());
    Lists l;
    EXPECT_THROW(ReadStoreFiles(p, l.table, l.copy), StoreError);
    l.table.append("b", "u", "Show");
    SaveReport r = SaveStoreFiles(p, l.table);
    EXPECT_EQ(r.backups.size(), 2u) << "words.txt and dirs.txt, which were not read";
    EXPECT_TRUE(fs::is_symlink(dir.file("desc.txt")));
    EXPECT_EQ(dir.read("synced/desc.txt"), "Show\r\n\r\n");
}

TEST(StorePosix, APlantedNameBesideTheStoreIsNeverWrittenThrough)
{
    test::TestFolder dir;
    StorePaths p = EnsureStoreFiles(dir.dir());
    dir.write("victim", "precious");
    for (const char* name : {"words.txt.tmp", "dirs.txt.tmp", "desc.txt.tmp", "quillmere-save.journal.tmp"})
        fs::create_symlink(dir.file("victim"), dir.file(name));
    Lists l;
    l.table.append("a", "b", "Open");
    SaveStoreFiles(p, l.table);
    EXPECT_EQ(dir.read("victim"), "precious");
    EXPECT_EQ(dir.read("desc.txt"), "Open\r\n\r\n");
}

TEST(StorePosix, TemporaryFilesOfACutOffSaveAreClearedAtStartUp)
{
    test::TestFolder dir;
    dir.write("words.txt.qm0123456789abcdef.tmp", "half");
    dir.write("words.txt.mine.tmp", "not ours");
    EnsureStoreFiles(dir.dir());
    EXPECT_FALSE(fs::exists(dir.file("words.txt.qm0123456789abcdef.tmp")));
    EXPECT_TRUE(fs::exists(dir.file("words.txt.mine.tmp")));
}
