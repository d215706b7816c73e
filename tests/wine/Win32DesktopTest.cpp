// The Windows desktop services and the store on the real file system.
#include "StoreFiles.h"
#include "TestFolder.h"
#include "Win32Desktop.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <filesystem>
#include <set>
#include <string>
#include <vector>

using namespace qm;
namespace fs = std::filesystem;

namespace {

bool isFolder(const std::string& path)
{
    const DWORD attrs = GetFileAttributesA(path.c_str());
    return attrs != INVALID_FILE_ATTRIBUTES && (attrs & FILE_ATTRIBUTE_DIRECTORY);
}

// The names left in a folder, folders marked with a trailing backslash.
std::set<std::string> namesIn(const std::string& dir)
{
    std::set<std::string> names;
    for (const auto& e : fs::directory_iterator(dir))
        names.insert(e.path().filename().string() + (e.is_directory() ? "\\" : ""));
    return names;
}

} // namespace

TEST(Win32Store, TheStoreDirectoryIsTheWindowsDirectory)
{
    const std::string dir = WindowsDirectory();
    ASSERT_FALSE(dir.empty());
    EXPECT_NE(dir.back(), '\0');
    char fixed[MAX_PATH + 1] = {};
    ASSERT_GT(GetWindowsDirectoryA(fixed, sizeof fixed), 0u);
    EXPECT_EQ(dir, std::string(fixed));
    EXPECT_TRUE(isFolder(dir)) << dir;
    Win32Desktop desktop;
    EXPECT_EQ(desktop.storeDirectory(), dir);
}

// Nothing in the store's own code limits the folder's length; the old fixed
// buffer held 143 characters.
TEST(Win32Store, StoreFilesWorkInAFolderLongerThanTheOldBuffer)
{
    test::TestFolder root;
    std::string deep = root.dir();
    while (deep.size() <= 180)
        deep += "\\a folder with a long name";
    ASSERT_GT(deep.size(), 144u);
    ASSERT_LT(deep.size() + std::string("\\words.txt.tmp").size(), size_t{MAX_PATH}) << "stay within the ANSI calls' limit";
    fs::create_directories(deep);

    const StorePaths paths = EnsureStoreFiles(deep);
    EXPECT_EQ(paths.words, deep + "\\words.txt");
    for (const std::string* p : {&paths.words, &paths.dirs, &paths.desc})
        EXPECT_EQ(fs::file_size(*p), 0u) << *p;

    ListBox l1("List1"), l2("List2"), l3("List3"), c1("List1"), c2("List2"), c3("List3");
    CommandTable table{l1, l2, l3};
    table.append("Open Notepad", "C:\\Windows\\notepad.exe", "Open");
    SaveStoreFiles(paths, table);
    CommandTable back{c1, c2, c3};
    ListBox d1("List1"), d2("List2"), d3("List3");
    DisplayCopy copy{d1, d2, d3};
    ReadStoreFiles(paths, back, copy);
    EXPECT_EQ(c1.Items(), l1.Items());
    EXPECT_EQ(c2.Items(), l2.Items());
    EXPECT_EQ(d3.Items(), std::vector<std::string>{"notepad.exe"});
}

struct DeleteCase {
    const char* what;
    const char* pattern; // relative to the test folder
    int deleted;
    std::set<std::string> left;
    const char* error; // a part of the reported error, or "" for none
};

class Win32DeleteByPattern : public testing::TestWithParam<DeleteCase> {};

TEST_P(Win32DeleteByPattern, DeletesMatchingFilesOnly)
{
    const DeleteCase& c = GetParam();
    test::TestFolder dir;
    for (const char* name : {"a.tmp", "b.tmp", "a.log", "ab.log", "keep.txt"})
        dir.write(name, "x");
    fs::create_directory(dir.file("sub.tmp"));
    fs::create_directory(dir.file("c.log"));
    dir.write("sub.tmp\\inner.tmp", "x");

    Win32Desktop desktop;
    const DeleteOutcome o = desktop.deleteByPattern(dir.dir() + "\\" + c.pattern);
    EXPECT_EQ(o.deleted, c.deleted);
    if (*c.error)
        EXPECT_NE(o.error.find(c.error), std::string::npos) << o.error;
    else
        EXPECT_EQ(o.error, "");
    EXPECT_EQ(namesIn(dir.dir()), c.left);
    EXPECT_TRUE(fs::exists(dir.file("sub.tmp\\inner.tmp"))) << "matching is never recursive";
}

INSTANTIATE_TEST_SUITE_P(
    Table, Win32DeleteByPattern,
    testing::Values(
        DeleteCase{"star", "*.tmp", 2, {"a.log", "ab.log", "keep.txt", "sub.tmp\\", "c.log\\"}, ""},
        DeleteCase{"question_mark_is_one_character", "?.log", 1, {"a.tmp", "b.tmp", "ab.log", "keep.txt", "sub.tmp\\", "c.log\\"}, ""},
        DeleteCase{"star_and_question_mark", "a*.?og", 2, {"a.tmp", "b.tmp", "keep.txt", "sub.tmp\\", "c.log\\"}, ""},
        DeleteCase{"plain_name", "keep.txt", 1, {"a.tmp", "b.tmp", "a.log", "ab.log", "sub.tmp\\", "c.log\\"}, ""},
        DeleteCase{"everything_but_folders", "*", 5, {"sub.tmp\\", "c.log\\"}, ""},
        DeleteCase{"no_file_matches", "*.none", 0, {"a.tmp", "b.tmp", "a.log", "ab.log", "keep.txt", "sub.tmp\\", "c.log\\"},
                   "no file matches"},
        DeleteCase{"only_a_folder_matches", "c.*", 0, {"a.tmp", "b.tmp", "a.log", "ab.log", "keep.txt", "sub.tmp\\", "c.log\\"},
                   "no file matches"},
        DeleteCase{"missing_folder", "nowhere\\*.tmp", 0, {"a.tmp", "b.tmp", "a.log", "ab.log", "keep.txt", "sub.tmp\\", "c.log\\"},
                   "no file matches"}),
    [](const auto& info) { return std::string(info.param.what); });

TEST(Win32DeleteByPatternReport, NamesTheFileThatCouldNotBeDeleted)
{
    test::TestFolder dir;
    dir.write("locked.tmp", "x");
    dir.write("free.tmp", "x");
    // Held open without delete sharing, as a running program holds its file.
    HANDLE h = CreateFileA(dir.file("locked.tmp").c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(h, INVALID_HANDLE_VALUE);
    Win32Desktop desktop;
    const DeleteOutcome o = desktop.deleteByPattern(dir.dir() + "\\*.tmp");
    CloseHandle(h);
    EXPECT_EQ(o.deleted, 1) << "every match is tried";
    EXPECT_NE(o.error.find("locked.tmp"), std::string::npos) << o.error;
    EXPECT_GT(o.error.size(), dir.file("locked.tmp").size() + 2) << "the system's reason follows the name";
    EXPECT_FALSE(fs::exists(dir.file("free.tmp")));
}
