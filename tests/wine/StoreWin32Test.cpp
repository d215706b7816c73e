// The store's saves on Windows: another program holding a store file open
// (no sharing of delete), and the replaced files' attributes.
#include "StoreFiles.h"
#include "TestFolder.h"

#include <gtest/gtest.h>

#include <windows.h>

using namespace qm;

namespace {

struct Lists {
    ListBox l1{"List1"}, l2{"List2"}, l3{"List3"};
    CommandTable table{l1, l2, l3};
};

} // namespace

TEST(Win32StoreSave, AFileHeldOpenByAnotherProgramLeavesAllThreeOld)
{
    test::TestFolder dir;
    StorePaths p = EnsureStoreFiles(dir.dir());
    Lists l;
    l.table.append("one", "t1", "Open");
    SaveStoreFiles(p, l.table);
    const std::string words = dir.read("words.txt"), dirs = dir.read("dirs.txt"), desc = dir.read("desc.txt");

    for (const std::string* held : {&p.dirs, &p.desc}) {
        SCOPED_TRACE(*held);
        HANDLE h = CreateFileA(held->c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
        ASSERT_NE(h, INVALID_HANDLE_VALUE);
        l.table.append("two", "t2", "Show");
        try {
            SaveStoreFiles(p, l.table);
            ADD_FAILURE() << "a save over a file held open must fail";
        } catch (const StoreError& e) {
            EXPECT_EQ(e.file(), *held);
            EXPECT_EQ(e.outcome(), StoreError::Outcome::RolledBack);
            EXPECT_NE(SaveFailedMessage("x", e).find("keep what they held before"), std::string::npos);
        }
        CloseHandle(h);
        l.table.List1.RemoveItem(1);
        l.table.List2.RemoveItem(1);
        l.table.List3.RemoveItem(1);
        EXPECT_EQ(dir.read("words.txt"), words);
        EXPECT_EQ(dir.read("dirs.txt"), dirs);
        EXPECT_EQ(dir.read("desc.txt"), desc);
    }
}

TEST(Win32StoreSave, TheReplacedFilesKeepTheirAttributes)
{
    test::TestFolder dir;
    StorePaths p = EnsureStoreFiles(dir.dir());
    ASSERT_TRUE(SetFileAttributesA(p.words.c_str(), FILE_ATTRIBUTE_HIDDEN));
    Lists l;
    l.table.append("one", "t1", "Open");
    SaveStoreFiles(p, l.table);
    EXPECT_EQ(dir.read("words.txt"), "[Grammer]\r\ntype=cfg\r\n[<start>]\r\n<start>=one\r\n\r\n");
    const DWORD attrs = GetFileAttributesA(p.words.c_str());
    EXPECT_TRUE(attrs & FILE_ATTRIBUTE_HIDDEN) << std::hex << attrs;
}
