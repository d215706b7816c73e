#include "DeleteByPattern.h"
#include "TestFolder.h"

#include <gtest/gtest.h>

#include <filesystem>

using namespace qm;

TEST(DeleteByPattern, WildcardsMatchTheLastComponent)
{
    struct { const char* pattern; const char* name; bool match; } cases[] = {
        {"*.tmp", "a.tmp", true}, {"*.tmp", "a.tmpx", false}, {"?.txt", "a.txt", true}, {"?.txt", "ab.txt", false},
        {"a*b*c", "aXbYc", true}, {"a*b*c", "aXbY", false}, {"*", "", true}, {"exact", "Exact", false},
    };
    for (const auto& c : cases)
        EXPECT_EQ(WildcardMatch(c.pattern, c.name), c.match) << c.pattern << " vs " << c.name;
}

TEST(DeleteByPattern, DeletesMatchingFilesButNeverFolders)
{
    test::TestFolder dir;
    dir.write("a.tmp", "1");
    dir.write("b.tmp", "2");
    dir.write("keep.txt", "3");
    std::filesystem::create_directory(dir.file("sub.tmp"));
    DeleteOutcome o = DeleteFilesByPattern(dir.file("*.tmp"));
    EXPECT_EQ(o.deleted, 2);
    EXPECT_EQ(o.error, "");
    EXPECT_TRUE(std::filesystem::exists(dir.file("keep.txt")));
    EXPECT_TRUE(std::filesystem::is_directory(dir.file("sub.tmp")));
}

TEST(DeleteByPattern, ReportsNoMatchAndAMissingFolder)
{
    test::TestFolder dir;
    EXPECT_NE(DeleteFilesByPattern(dir.file("*.none")).error.find("no file matches"), std::string::npos);
    EXPECT_NE(DeleteFilesByPattern(dir.file("plain.txt")).error.find("no file matches"), std::string::npos);
    EXPECT_FALSE(DeleteFilesByPattern(dir.file("missing/*.txt")).error.empty());
    EXPECT_FALSE(DeleteFilesByPattern("").error.empty());
}
