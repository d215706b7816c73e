#include "DeleteByPattern.h"
#include "TestFolder.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <set>

#include <sys/stat.h>
#include <unistd.h>

using namespace qm;
namespace fs = std::filesystem;

TEST(DeleteByPattern, WildcardsMatchTheLastComponent)
{
    struct { const char* pattern; const char* name; bool match; } cases[] = {
        {"*.tmp", "a.tmp", true}, {"*.tmp", "a.tmpx", false}, {"?.txt", "a.txt", true}, {"?.txt", "ab.txt", false},
        {"a*b*c", "aXbYc", true}, {"a*b*c", "aXbY", false}, {"*", "", true}, {"exact", "Exact", false},
        // A "*" in the name does not stop the pattern's "*" from being a wildcard.
        {"star*", "star*name.txt", true}, {"*name.txt", "star*name.txt", true}, {"*x", "*", false},
        // "?" is one character, however many bytes it takes.
        {"caf?", "caf\xC3\xA9", true}, {"caf??", "caf\xC3\xA9", false}, {"?", "\xE6\x97\xA5", true},
        {"?", "\xF0\x9F\x8E\xB5", true}, {"??", "\xE6\x97\xA5", false},
        // After a "*", the rest of the pattern is tried from character starts only.
        {"*\xA5", "\xE6\x97\xA5", false}, {"*\xE6\x97\xA5", "a\xE6\x97\xA5", true},
        // A stray byte that starts no character is still one character.
        {"?", "\xFF", true}, {"??", "\xC3", false},
    };
    for (const auto& c : cases)
        EXPECT_EQ(WildcardMatch(c.pattern, c.name), c.match) << c.pattern << " vs " << c.name;
}

namespace {

// Every path under root, relative, without following links.
std::set<std::string> listTree(const fs::path& root)
{
    std::set<std::string> out;
    for (auto it = fs::recursive_directory_iterator(root); it != fs::recursive_directory_iterator(); ++it)
        out.insert(it->path().lexically_relative(root).string());
    return out;
}

// The user's home and, beside it, the folder the program was started in.
void plantTree(const test::TestFolder& t)
{
    for (const char* name : {"home/a.txt", "home/b.txt", "home/.hidden.txt", "home/.profile", "home/star*name.txt",
                             "home/starter.txt", "home/caf\xC3\xA9.txt", "home/\xE6\x97\xA5\xE6\x9C\xAC.txt",
                             "home/folder/inner.txt", "home/folder/.dot.txt", "outside/target.txt", "work/a.txt",
                             "work/c.txt"}) {
        fs::create_directories(fs::path(t.file(name)).parent_path());
        t.write(name, "x");
    }
    fs::create_directory(t.file("home/sub.txt"));
    ASSERT_EQ(::mkfifo(t.file("home/pipe.txt").c_str(), 0600), 0);
    fs::create_symlink("a.txt", t.file("home/link.txt"));
    fs::create_symlink(t.file("outside/target.txt"), t.file("home/far.txt"));
    fs::create_directory_symlink(t.file("home/folder"), t.file("home/linkdir"));
}

class ScopedEnvironment {
public:
    ScopedEnvironment(const std::string& home, const std::string& cwd) : cwd_(fs::current_path())
    {
        if (const char* h = std::getenv("HOME"))
            home_ = h;
        ::setenv("HOME", home.c_str(), 1);
        fs::current_path(cwd);
    }
    ~ScopedEnvironment()
    {
        ::setenv("HOME", home_.c_str(), 1);
        fs::current_path(cwd_);
    }

private:
    std::string home_;
    fs::path cwd_;
};

struct DeleteCase {
    const char* pattern; // "@/" stands for the scratch tree's absolute path
    std::set<std::string> deleted;
    bool fails;
};

} // namespace

TEST(DeleteByPattern, DeletesOnlyPlainFilesThePatternNames)
{
    const std::set<std::string> homeFiles{"home/a.txt", "home/b.txt", "home/star*name.txt", "home/starter.txt",
                                          "home/caf\xC3\xA9.txt", "home/\xE6\x97\xA5\xE6\x9C\xAC.txt"};
    const DeleteCase cases[] = {
        // Relative patterns are taken from the home folder, not the working
        // folder; dot-names, links, the FIFO and folders are left alone.
        {"*", homeFiles, false},
        {"*.txt", homeFiles, false},
        {".*", {"home/.hidden.txt", "home/.profile"}, false},
        {"folder/*", {"home/folder/inner.txt"}, false},
        {"folder/.*", {"home/folder/.dot.txt"}, false},
        {"a.txt", {"home/a.txt"}, false},
        {".profile", {"home/.profile"}, false},
        // A "*" that is part of a file's name.
        {"star*", {"home/star*name.txt", "home/starter.txt"}, false},
        {"star*name.txt", {"home/star*name.txt"}, false},
        // Non-ASCII names, "?" standing for one character.
        {"caf?.txt", {"home/caf\xC3\xA9.txt"}, false},
        {"??.txt", {"home/\xE6\x97\xA5\xE6\x9C\xAC.txt"}, false},
        {"?.txt", {"home/a.txt", "home/b.txt"}, false},
        // A folder the user names through a link is the folder it leads to.
        {"linkdir/*.txt", {"home/folder/inner.txt"}, false},
        {"@/home/folder/*", {"home/folder/inner.txt"}, false},
        {"@/work/*", {"work/a.txt", "work/c.txt"}, false},
        // Named on their own, links and special files are refused.
        {"link.txt", {}, true},
        {"far.txt", {}, true},
        {"pipe.txt", {}, true},
        {"sub.txt", {}, true},
        {"linkdir", {}, true},
        {"c.txt", {}, true},
        {"pipe.*", {}, true},
        {"missing/*", {}, true},
        {"", {}, true},
        {"folder/", {}, true},
    };
    for (const DeleteCase& c : cases) {
        SCOPED_TRACE(c.pattern);
        test::TestFolder t;
        plantTree(t);
        const std::set<std::string> before = listTree(t.dir());
        std::string pattern = c.pattern;
        if (pattern.rfind("@/", 0) == 0)
            pattern = t.dir() + pattern.substr(1);

        DeleteOutcome o;
        {
            ScopedEnvironment env(t.file("home"), t.file("work"));
            o = DeleteFilesByPattern(pattern);
        }

        std::set<std::string> expected = before;
        for (const auto& d : c.deleted)
            expected.erase(d);
        EXPECT_EQ(listTree(t.dir()), expected);
        EXPECT_EQ(o.deleted, static_cast<int>(c.deleted.size()));
        EXPECT_EQ(!o.error.empty(), c.fails) << o.error;
        // What a link led to is never touched.
        EXPECT_EQ(t.read("outside/target.txt"), "x");
    }
}

TEST(DeleteByPattern, AMissingFolderIsNamedInTheMessage)
{
    test::TestFolder t;
    const DeleteOutcome o = DeleteFilesByPattern(t.file("missing/*.txt"));
    EXPECT_EQ(o.error, t.file("missing") + ": No such file or directory");
    EXPECT_EQ(DeleteFilesByPattern(t.file("plain.txt")).error.find(t.file("plain.txt") + ": no file matches"), 0u);
}
