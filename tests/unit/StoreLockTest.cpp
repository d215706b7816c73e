// The lock on the store folder: two writers never hold it at once, a reader
// never reads while a writer holds it, and a save that cannot get it writes
// nothing and says why.
#include "StoreFiles.h"
#include "StoreLock.h"
#include "TestFolder.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <optional>
#include <string>
#include <thread>
#include <vector>

using namespace qm;
using Mode = StoreLock::Mode;

namespace {

constexpr std::chrono::milliseconds kShortWait{50};

// Whether a second lock of `mode` can be had within a short wait, and the
// reason given when it cannot.
std::optional<std::string> refusal(const test::TestFolder& dir, Mode mode)
{
    try {
        StoreLock second(dir.dir(), mode, kShortWait);
        return std::nullopt;
    } catch (const StoreError& e) {
        EXPECT_EQ(e.file(), dir.file(kStoreLockName));
        return e.reason();
    }
}

} // namespace

TEST(StoreLock, WritersExcludeEveryoneAndReadersOnlyWriters)
{
    struct Case {
        Mode held, wanted;
        bool refused;
    };
    const Case cases[] = {
        {Mode::Exclusive, Mode::Exclusive, true},
        {Mode::Exclusive, Mode::Shared, true},
        {Mode::Shared, Mode::Exclusive, true},
        {Mode::Shared, Mode::Shared, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "held " << (c.held == Mode::Exclusive ? "exclusive" : "shared") << ", wanted "
                                        << (c.wanted == Mode::Exclusive ? "exclusive" : "shared"));
        test::TestFolder dir;
        {
            StoreLock first(dir.dir(), c.held);
            const auto why = refusal(dir, c.wanted);
            EXPECT_EQ(why.has_value(), c.refused);
            if (why) {
                EXPECT_EQ(*why, BusyReason(c.wanted == Mode::Exclusive));
            }
        }
        // Released with its holder.
        EXPECT_EQ(refusal(dir, Mode::Exclusive), std::nullopt);
    }
}

TEST(StoreLock, AWriterWaitsForTheLockToBeReleased)
{
    test::TestFolder dir;
    std::optional<StoreLock> first;
    first.emplace(dir.dir(), Mode::Exclusive);
    std::thread releaser([&first] {
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
        first.reset();
    });
    EXPECT_NO_THROW(StoreLock(dir.dir(), Mode::Exclusive, std::chrono::seconds(30)));
    releaser.join();
}

TEST(StoreLock, ASaveThatCannotGetTheLockWritesNothingAndSaysWhy)
{
    test::TestFolder dir;
    StorePaths paths = EnsureStoreFiles(dir.dir());
    const std::string words = std::string("[Grammer]\r\ntype=cfg\r\n[<start>]\r\n<start>=kept\r\n\r\n");
    dir.write("words.txt", words);
    dir.write("dirs.txt", "x\r\n\r\n");
    dir.write("desc.txt", "Open\r\n\r\n");

    ListBox l1{"List1"}, l2{"List2"}, l3{"List3"};
    CommandTable table{l1, l2, l3};
    table.append("new", "y", "Show");
    {
        StoreLock other(dir.dir(), Mode::Shared);
        try {
            SaveStoreFiles(paths, table);
            ADD_FAILURE() << "the save went ahead while another program held the store";
        } catch (const StoreError& e) {
            EXPECT_EQ(e.file(), dir.file(kStoreLockName));
            EXPECT_EQ(e.reason(), BusyReason(true));
        }
        EXPECT_EQ(dir.read("words.txt"), words);
        EXPECT_EQ(dir.read("dirs.txt"), "x\r\n\r\n");
        EXPECT_EQ(dir.read("desc.txt"), "Open\r\n\r\n");
    }
    SaveStoreFiles(paths, table);
    EXPECT_EQ(dir.read("desc.txt"), "Show\r\n\r\n");
}

namespace {

struct Snapshot {
    std::vector<std::string> phrases, targets, kinds;
    bool operator==(const Snapshot&) const = default;
};

struct OwnTable {
    ListBox l1{"List1"}, l2{"List2"}, l3{"List3"};
    CommandTable table{l1, l2, l3};
};

Snapshot tableOf(const char* prefix, int n)
{
    Snapshot s;
    for (int i = 0; i < n; ++i) {
        s.phrases.push_back(prefix + std::to_string(i));
        s.targets.push_back(std::string("target ") + prefix + std::to_string(i));
        s.kinds.push_back(i % 2 ? "Open" : "Message Prompt");
    }
    return s;
}

void save(const StorePaths& paths, const Snapshot& s)
{
    OwnTable t;
    for (size_t i = 0; i < s.phrases.size(); ++i)
        t.table.append(s.phrases[i], s.targets[i], s.kinds[i]);
    SaveStoreFiles(paths, t.table);
}

Snapshot read(const StorePaths& paths)
{
    OwnTable t, copy;
    DisplayCopy display{copy.l1, copy.l2, copy.l3};
    ReadStoreFiles(paths, t.table, display);
    Snapshot s;
    for (int i = 0; i < t.l1.ListCount(); ++i)
        s.phrases.push_back(t.l1.List(i));
    for (int i = 0; i < t.l2.ListCount(); ++i)
        s.targets.push_back(t.l2.List(i));
    for (int i = 0; i < t.l3.ListCount(); ++i)
        s.kinds.push_back(t.l3.List(i));
    return s;
}

} // namespace

// Two writers saving different tables over and over, and a reader reading
// between them: every read finds one whole table, never a mix of two saves.
// Each holds its own lock, as two programs would.
TEST(StoreLock, TwoWritersAndAReaderNeverMeetHalfWay)
{
    test::TestFolder dir;
    const StorePaths paths = EnsureStoreFiles(dir.dir());
    const Snapshot a = tableOf("alpha ", 3), b = tableOf("beta ", 5);
    save(paths, a);

    // On a loaded machine one side can wait out the lock's patience while
    // the other two take turns: that refusal is the lock at work, not a
    // fault. Any other error is.
    std::atomic<int> failures{0};
    auto refused = [&](const StoreError& e, bool writing) {
        if (std::string(e.what()).find(BusyReason(writing)) != std::string::npos)
            return;
        ADD_FAILURE() << e.what();
        ++failures;
    };
    auto writer = [&](const Snapshot& s) {
        for (int i = 0; i < 60; ++i) {
            try {
                save(paths, s);
            } catch (const StoreError& e) {
                refused(e, true);
            }
        }
    };
    std::thread wa(writer, std::cref(a)), wb(writer, std::cref(b));
    int mixed = 0, reads = 0, whole = 0;
    for (; reads < 120; ++reads) {
        try {
            const Snapshot got = read(paths);
            const bool one = got == a || got == b;
            mixed += one ? 0 : 1;
            whole += one ? 1 : 0;
        } catch (const StoreError& e) {
            refused(e, false);
        }
    }
    wa.join();
    wb.join();
    EXPECT_EQ(mixed, 0) << "of " << reads << " reads";
    EXPECT_GT(whole, 0) << "no read got the lock";
    EXPECT_EQ(failures.load(), 0);
}
