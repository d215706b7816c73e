#include "FakeDesktop.h"
#include "ScriptedRecognizer.h"
#include "TestFolder.h"
#include "Vocabulary.h"

#include <gtest/gtest.h>

#include <filesystem>

using namespace qm;
using Op = ScriptedRecognizer::Op;

namespace {

struct Fixture {
    test::TestFolder dir;
    StorePaths paths;
    ListBox l1{"List1"}, l2{"List2"}, l3{"List3"}, c1{"List1"}, c2{"List2"}, c3{"List3"};
    ScriptedRecognizer sr;
    FakeDesktop desktop;
    int wordListUses = 0;
    VocabularyContext ctx{sr, paths, {l1, l2, l3}, [this] { ++wordListUses; return DisplayCopy{c1, c2, c3}; }, desktop};

    Fixture()
    {
        dir.write("words.txt", "[Grammer]\r\ntype=cfg\r\n[<start>]\r\n<start>=Open Notepad\r\n<start>=i c q\r\n\r\n");
        dir.write("dirs.txt", "notepad\r\n\r\nicq\r\n\r\n");
        dir.write("desc.txt", "Open\r\n\r\nOpen\r\n\r\n");
        paths = EnsureStoreFiles(dir.dir());
    }
};

struct RetryCase {
    const char* what;
    std::vector<Op> failures;
    std::vector<Op> calls;
    bool passesToCaller;
    int entries;
};

// Names the case in test listings instead of dumping its bytes.
[[maybe_unused]] void PrintTo(const RetryCase& c, std::ostream* os) { *os << c.what; }

class ReloadRetry : public testing::TestWithParam<RetryCase> {};

} // namespace

TEST_P(ReloadRetry, RetriesOnceFromTheLoad)
{
    const RetryCase& c = GetParam();
    Fixture f;
    for (Op op : c.failures)
        f.sr.failNext(op);
    if (c.passesToCaller)
        EXPECT_THROW(ReloadVocabulary(f.ctx), RecognizerError);
    else
        EXPECT_NO_THROW(ReloadVocabulary(f.ctx));
    EXPECT_EQ(f.sr.calls, c.calls);
    EXPECT_EQ(f.l1.ListCount(), c.entries);
    EXPECT_EQ(f.c1.ListCount(), c.entries);
    EXPECT_EQ(f.sr.listening(), !c.passesToCaller);
}

INSTANTIATE_TEST_SUITE_P(
    Scripted, ReloadRetry,
    testing::Values(
        RetryCase{"clean", {}, {Op::Deactivate, Op::Load, Op::Activate}, false, 2},
        RetryCase{"failing_deactivate_is_passed_over", {Op::Deactivate}, {Op::Deactivate, Op::Load, Op::Activate}, false, 2},
        RetryCase{"load_failing_once_is_retried", {Op::Load}, {Op::Deactivate, Op::Load, Op::Load, Op::Activate}, false, 2},
        RetryCase{"activate_failing_once_is_retried", {Op::Activate},
                  {Op::Deactivate, Op::Load, Op::Activate, Op::Load, Op::Activate}, false, 2},
        RetryCase{"load_failing_twice_reads_nothing", {Op::Load, Op::Load}, {Op::Deactivate, Op::Load, Op::Load}, true, 0},
        RetryCase{"deactivate_then_load_failing_spends_the_retry", {Op::Deactivate, Op::Load},
                  {Op::Deactivate, Op::Load}, true, 0}),
    [](const auto& info) { return std::string(info.param.what); });

TEST(Reload, AReadFailureIsRetriedAndThenPassesOnNamingTheFile)
{
    Fixture f;
    std::filesystem::remove(f.paths.words);
    std::filesystem::create_directory(f.paths.words);
    // The grammar itself is unreadable: the load fails at words.txt, is tried
    // once more, and the second failure passes on; nothing is activated or appended.
    try {
        ReloadVocabulary(f.ctx);
        FAIL();
    } catch (const std::runtime_error& e) {
        EXPECT_NE(std::string(e.what()).find("words.txt"), std::string::npos) << e.what();
    }
    EXPECT_EQ(f.sr.calls, (std::vector<Op>{Op::Deactivate, Op::Load, Op::Load}));
    EXPECT_EQ(f.l1.ListCount(), 0);
}

TEST(Reload, AFailedReadAddsNothingSoTheRetryCannotDuplicate)
{
    Fixture f;
    std::filesystem::remove(f.paths.desc);
    EXPECT_THROW(ReloadVocabulary(f.ctx), StoreError);
    EXPECT_EQ(f.sr.calls, (std::vector<Op>{Op::Deactivate, Op::Load, Op::Activate, Op::Load, Op::Activate}));
    EXPECT_EQ(f.l1.ListCount(), 0);
    EXPECT_EQ(f.l2.ListCount(), 0);
}

TEST(Reload, AFailureThatWouldEndTheProgramIsReportedAndTheTableStillShows)
{
    Fixture f;
    f.sr.failNext(Op::Load, 2);
    EXPECT_FALSE(ReloadVocabularyOrReport(f.ctx));
    ASSERT_EQ(f.desktop.messages.size(), 1u);
    EXPECT_NE(f.desktop.messages[0].find("scripted failure of load"), std::string::npos);
    EXPECT_EQ(f.l1.Items(), (std::vector<std::string>{"Open Notepad", "i c q"}));
    EXPECT_EQ(f.c3.Items(), (std::vector<std::string>{"notepad", "icq"}));
    // The next reload tries again and listens.
    EmptySixLists(f.ctx);
    EXPECT_TRUE(ReloadVocabularyOrReport(f.ctx));
    EXPECT_TRUE(f.sr.listening());
}

TEST(Reload, EnableRefillsOnceEachTimeAndSaysSo)
{
    Fixture f;
    ReloadVocabulary(f.ctx);
    EnableCommand(f.ctx);
    EnableCommand(f.ctx);
    EXPECT_EQ(f.l1.ListCount(), 2);
    EXPECT_EQ(f.c2.ListCount(), 2);
    EXPECT_EQ(f.desktop.messages, (std::vector<std::string>{"Enabled", "Enabled"}));
    EXPECT_TRUE(f.sr.listening());
}

TEST(Reload, DisableOnlyDeactivatesAndAFailureIsReported)
{
    Fixture f;
    ReloadVocabulary(f.ctx);
    f.sr.calls.clear();
    DisableCommand(f.ctx);
    DisableCommand(f.ctx);
    EXPECT_EQ(f.sr.calls, (std::vector<Op>{Op::Deactivate, Op::Deactivate}));
    EXPECT_EQ(f.l1.ListCount(), 2);
    f.sr.failNext(Op::Deactivate);
    DisableCommand(f.ctx);
    EXPECT_EQ(f.desktop.messages.size(), 3u);
    EXPECT_NE(f.desktop.messages[2].find("scripted failure"), std::string::npos);
}
