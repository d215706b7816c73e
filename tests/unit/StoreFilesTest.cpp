#include "StoreFiles.h"
#include "TestFolder.h"

#include <gtest/gtest.h>

#include <filesystem>

using namespace qm;

namespace {

struct Lists {
    ListBox l1{"List1"}, l2{"List2"}, l3{"List3"};
    ListBox c1{"List1"}, c2{"List2"}, c3{"List3"};
    CommandTable table{l1, l2, l3};
    DisplayCopy copy{c1, c2, c3};
};

constexpr const char* kHeader = "[Grammer]\r\ntype=cfg\r\n[<start>]\r\n";

} // namespace

TEST(StoreFiles, FirstStartCreatesThreeEmptyFilesAndLeavesExistingOnesAlone)
{
    test::TestFolder dir;
    dir.write("dirs.txt", "kept\r\n");
    StorePaths p = EnsureStoreFiles(dir.dir());
    EXPECT_EQ(p.words, dir.file("words.txt"));
    EXPECT_EQ(dir.read("words.txt"), "");
    EXPECT_EQ(dir.read("dirs.txt"), "kept\r\n");
    EXPECT_EQ(dir.read("desc.txt"), "");
}

TEST(StoreFiles, EnsureNamesTheFileThatCannotBeCreated)
{
    test::TestFolder dir;
    std::filesystem::create_directory(dir.file("desc.txt"));
    try {
        EnsureStoreFiles(dir.dir());
        FAIL() << "a folder named desc.txt must be reported";
    } catch (const StoreError& e) {
        EXPECT_EQ(e.file(), dir.file("desc.txt"));
    }
}

TEST(StoreFiles, EmptyTableSavesThe34ByteGrammarAndEmptyFiles)
{
    test::TestFolder dir;
    Lists l;
    StorePaths p = EnsureStoreFiles(dir.dir());
    SaveStoreFiles(p, l.table);
    EXPECT_EQ(dir.read("words.txt").size(), 34u);
    EXPECT_EQ(dir.read("words.txt"), std::string(kHeader) + "\r\n");
    EXPECT_EQ(dir.read("dirs.txt"), "");
    EXPECT_EQ(dir.read("desc.txt"), "");
}

TEST(StoreFiles, SaveWritesTheLayoutAndReadsItBackIntoBothWindows)
{
    test::TestFolder dir;
    StorePaths p = EnsureStoreFiles(dir.dir());
    Lists l;
    l.table.append("Open Notepad", "C:\\Windows\\notepad.exe", "Open");
    l.table.append(" a=b ", "  ", "Message Prompt");
    l.l1.setListIndex(1);
    SaveStoreFiles(p, l.table);
    EXPECT_EQ(l.l1.ListIndex(), -1) << "saving clears the phrase list's selection";
    EXPECT_EQ(dir.read("words.txt"), std::string(kHeader) + "<start>=Open Notepad\r\n<start>= a=b \r\n\r\n");
    EXPECT_EQ(dir.read("dirs.txt"), "C:\\Windows\\notepad.exe\r\n\r\n  \r\n\r\n");
    EXPECT_EQ(dir.read("desc.txt"), "Open\r\n\r\nMessage Prompt\r\n\r\n");

    Lists back;
    ReadStoreFiles(p, back.table, back.copy);
    EXPECT_EQ(back.l1.Items(), l.l1.Items());
    EXPECT_EQ(back.l2.Items(), l.l2.Items());
    EXPECT_EQ(back.l3.Items(), l.l3.Items());
    EXPECT_EQ(back.c1.Items(), l.l1.Items());
    EXPECT_EQ(back.c2.Items(), l.l3.Items()) << "the word list's second column holds the kinds";
    EXPECT_EQ(back.c3.Items(), (std::vector<std::string>{"notepad.exe", "  "}));

    ReadStoreFiles(p, back.table, back.copy);
    EXPECT_EQ(back.l1.ListCount(), 4) << "reading appends and never empties";
}

TEST(StoreFiles, AnEntryWithoutAPhraseIsLeftOutWholeAndThePhraseListBoundsEveryFile)
{
    test::TestFolder dir;
    StorePaths p = EnsureStoreFiles(dir.dir());
    Lists l;
    l.table.append("", "t0", "Open");
    l.table.append("p1", "t1", "Show");
    l.table.append("p2", "", "Hide");
    l.l2.AddItem("beyond the phrases");
    SaveStoreFiles(p, l.table);
    EXPECT_EQ(dir.read("words.txt"), std::string(kHeader) + "<start>=p1\r\n<start>=p2\r\n\r\n");
    EXPECT_EQ(dir.read("dirs.txt"), "t1\r\n\r\n");
    EXPECT_EQ(dir.read("desc.txt"), "Show\r\n\r\nHide\r\n\r\n");

    // A file holding a bare "<start>=" line keeps its entries in line after a save.
    dir.write("words.txt", "<start>=\r\n<start>=a\r\n");
    dir.write("dirs.txt", "t0\r\nta\r\n");
    dir.write("desc.txt", "Open\r\nShow\r\n");
    Lists back;
    ReadStoreFiles(p, back.table, back.copy);
    SaveStoreFiles(p, back.table);
    Lists again;
    ReadStoreFiles(p, again.table, again.copy);
    EXPECT_EQ(again.l1.Items(), (std::vector<std::string>{"a"}));
    EXPECT_EQ(again.l2.Items(), (std::vector<std::string>{"ta"}));
    EXPECT_EQ(again.l3.Items(), (std::vector<std::string>{"Show"}));
}

struct ReadCase {
    const char* what;
    std::string words, dirs, desc;
    std::vector<std::string> phrases, targets, kinds;
};

// Names the case in test listings instead of dumping its bytes.
[[maybe_unused]] void PrintTo(const ReadCase& c, std::ostream* os) { *os << c.what; }

class StoreReading : public testing::TestWithParam<ReadCase> {};

TEST_P(StoreReading, FollowsTheLineRules)
{
    const ReadCase& c = GetParam();
    test::TestFolder dir;
    dir.write("words.txt", c.words);
    dir.write("dirs.txt", c.dirs);
    dir.write("desc.txt", c.desc);
    StorePaths p = EnsureStoreFiles(dir.dir());
    Lists l;
    ReadStoreFiles(p, l.table, l.copy);
    EXPECT_EQ(l.l1.Items(), c.phrases);
    EXPECT_EQ(l.l2.Items(), c.targets);
    EXPECT_EQ(l.l3.Items(), c.kinds);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, StoreReading,
    testing::Values(
        ReadCase{"crlf", "[Grammer]\r\n<start>=a\r\n<start>=b\r\n", "x\r\n\r\ny\r\n", "Open\r\n", {"a", "b"}, {"x", "y"}, {"Open"}},
        ReadCase{"lone cr ends a line", "<start>=a\r<start>=b", "x\ry", "", {"a", "b"}, {"x", "y"}, {}},
        ReadCase{"lone lf ends a line", "[Grammer]\n<start>=a\n", "x\ny\n", "Open\n\nShow", {"a"}, {"x", "y"}, {"Open", "Show"}},
        ReadCase{"mixed line ends", "<start>=a\n<start>=b\r\n<start>=c\r<start>=d\n\r", "", "", {"a", "b", "c", "d"}, {}, {}},
        ReadCase{"blank lines skipped", "\r\n\r\n<start>=a\r\n\r\n\r\n", "\r\n\r\n\r\nx\r\n\r\n", "\r\r\nOpen", {"a"}, {"x"}, {"Open"}},
        ReadCase{"bare prefix is an empty phrase", "<start>=\r\n", "", "", {""}, {}, {}},
        ReadCase{"prefix is case-sensitive", "<START>=a\r\n<Start>=b\r\n", "", "", {}, {}, {}},
        ReadCase{"leading blank is not the prefix", " <start>=a\r\n", "", "", {}, {}, {}},
        ReadCase{"a line of spaces", "   \r\n", "   \r\n", " \r\n", {}, {"   "}, {" "}},
        ReadCase{"inner equals and outer spaces kept", "<start>= x = y \r\n", "", "", {" x = y "}, {}, {}}),
    [](const auto& info) {
        std::string n = info.param.what;
        for (auto& ch : n)
            if (!isalnum(static_cast<unsigned char>(ch)))
                ch = '_';
        return n;
    });

TEST(StoreFiles, FilesOfDifferentLengthsFillListsOfDifferentLengths)
{
    test::TestFolder dir;
    dir.write("words.txt", "<start>=a\r\n<start>=b\r\n<start>=c\r\n");
    dir.write("dirs.txt", "x\r\n");
    dir.write("desc.txt", "Open\r\nShow\r\n");
    StorePaths p = EnsureStoreFiles(dir.dir());
    Lists l;
    ReadStoreFiles(p, l.table, l.copy);
    EXPECT_EQ(l.table.count(), 3);
    EXPECT_EQ(l.l2.ListCount(), 1);
    EXPECT_EQ(l.l3.ListCount(), 2);
    EXPECT_EQ(l.table.target(2), "");
}

TEST(StoreFiles, AnUnreadableFileIsNamed)
{
    test::TestFolder dir;
    StorePaths p = EnsureStoreFiles(dir.dir());
    std::filesystem::remove(p.dirs);
    Lists l;
    try {
        ReadStoreFiles(p, l.table, l.copy);
        FAIL();
    } catch (const StoreError& e) {
        EXPECT_EQ(e.file(), p.dirs);
        const std::string what = e.what();
        EXPECT_EQ(what.find(p.dirs), 0u) << what;
        EXPECT_EQ(what.find(p.dirs, 1), std::string::npos) << "the path is named once: " << what;
        EXPECT_GT(e.reason().size(), 8u) << "the system's reason in full: " << what;
    }
}
