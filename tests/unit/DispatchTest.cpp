#include "CommandDispatch.h"
#include "CommandKinds.h"
#include "EventLog.h"
#include "FakeBackends.h"
#include "FakeDesktop.h"

#include <gtest/gtest.h>

#include <functional>

using namespace qm;

namespace {

struct FakeWindows : WindowSetHost {
    std::vector<std::string> calls;
    void hideForVoice() override { calls.push_back("hide"); }
    void showMainWindow() override { calls.push_back("show"); }
    NativeHandle mainWindowHandle() override { return 42; }
};

struct Fixture {
    ListBox l1{"List1"}, l2{"List2"}, l3{"List3"};
    Image image{"Image1", {}, "indicator"};
    FakeWindows windows;
    FakeDesktop desktop;
    FakePlayer player;
    FakeSession session;
    DispatchContext ctx{{l1, l2, l3}, image, windows, desktop, player, session};

    void add(const std::string& p, const std::string& t, const std::string& k) { ctx.table.append(p, t, k); }
    void hear(const std::string& phrase) { DirectSR1_PhraseFinish(ctx, 1, 2, 3, 4, 5, phrase, "ignored", 8); }
};

struct KindCase {
    std::string kind;
    std::vector<int32_t> codes;
    std::vector<std::pair<int32_t, uint32_t>> session;
    std::vector<std::string> windows, opened, deleted, messages;
};

// Names the case in test listings instead of dumping its bytes.
[[maybe_unused]] void PrintTo(const KindCase& c, std::ostream* os) { *os << c.kind; }

class DispatchKinds : public testing::TestWithParam<KindCase> {};

} // namespace

TEST_P(DispatchKinds, CarriesOutTheKind)
{
    const KindCase& c = GetParam();
    Fixture f;
    f.add("other", "x", "Open");
    f.add("go", "target", c.kind);
    f.image.setVisible(true);
    f.hear("go");
    EXPECT_FALSE(f.image.Visible());
    EXPECT_EQ(f.l1.ListIndex(), 1);
    EXPECT_EQ(f.l2.ListIndex(), 1);
    EXPECT_EQ(f.l3.ListIndex(), 1);
    EXPECT_EQ(f.player.codes, c.codes);
    EXPECT_EQ(f.session.requests, c.session);
    EXPECT_EQ(f.windows.calls, c.windows);
    EXPECT_EQ(f.desktop.opened, c.opened);
    EXPECT_EQ(f.desktop.deleted, c.deleted);
    EXPECT_EQ(f.desktop.messages, c.messages);
    if (!c.opened.empty()) {
        EXPECT_EQ(f.desktop.lastOwner, 42u);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Table, DispatchKinds,
    testing::Values(KindCase{"Open", {}, {}, {}, {"target"}, {}, {}},
                    KindCase{"Delete", {}, {}, {}, {}, {"target"}, {}},
                    KindCase{"Message Prompt", {}, {}, {}, {}, {}, {"target"}},
                    KindCase{"Next Track", {40048}, {}, {}, {}, {}, {}},
                    KindCase{"Previous Track", {40044}, {}, {}, {}, {}, {}},
                    KindCase{"Play", {40045}, {}, {}, {}, {}, {}},
                    KindCase{"Pause / Unpause", {40046}, {}, {}, {}, {}, {}},
                    KindCase{"Raise Volume by 1", {40058}, {}, {}, {}, {}, {}},
                    KindCase{"Fast Forward 5 seconds", {40148}, {}, {}, {}, {}, {}},
                    KindCase{"Fast Rewind 5 seconds", {40144}, {}, {}, {}, {}, {}},
                    KindCase{"Close Winamp", {40001}, {}, {}, {}, {}, {}},
                    KindCase{"Lower Volume By 1", {40059}, {}, {}, {}, {}, {}},
                    KindCase{"Shut Down", {}, {{1, 5u}}, {}, {}, {}, {}},
                    KindCase{"Restart", {}, {{2, 7u}}, {}, {}, {}, {}},
                    KindCase{"Log Off", {}, {{0, 4u}}, {}, {}, {}, {}},
                    KindCase{"Hide", {}, {}, {"hide"}, {}, {}, {}},
                    KindCase{"Show", {}, {}, {"show"}, {}, {}, {}},
                    // Exact texts only: case, trailing blanks and unknown kinds do nothing.
                    KindCase{"open", {}, {}, {}, {}, {}, {}},
                    KindCase{"Lower Volume by 1", {}, {}, {}, {}, {}, {}},
                    KindCase{"Play ", {}, {}, {}, {}, {}, {}},
                    KindCase{"Shut down", {}, {}, {}, {}, {}, {}}));

TEST(Dispatch, EqualPhrasesRunInTableOrderAndTheSelectionEndsOnTheLast)
{
    Fixture f;
    f.add("go", "first", "Message Prompt");
    f.add("stop", "-", "Play");
    f.add("go", "-", "Next Track");
    f.add("go", "third", "Message Prompt");
    std::vector<int32_t> codesWhenFirstBoxShown;
    f.desktop.onMessageBox = [&](const std::string&) { codesWhenFirstBoxShown = f.player.codes; };
    f.hear("go");
    EXPECT_EQ(f.desktop.messages, (std::vector<std::string>{"first", "third"}));
    EXPECT_TRUE(codesWhenFirstBoxShown.empty()) << "the second entry waits for the first box";
    EXPECT_EQ(f.player.codes, std::vector<int32_t>{40048});
    EXPECT_EQ(f.l1.ListIndex(), 3);
}

TEST(Dispatch, NoMatchClearsOnlyThePhraseSelection)
{
    Fixture f;
    f.add("Go", "t", "Play");
    f.add("go", "t", "Play");
    f.l1.setListIndex(1);
    f.l2.setListIndex(1);
    f.l3.setListIndex(0);
    f.image.setVisible(true);
    f.hear("GO");
    EXPECT_TRUE(f.player.codes.empty());
    EXPECT_FALSE(f.image.Visible());
    EXPECT_EQ(f.l1.ListIndex(), -1);
    EXPECT_EQ(f.l2.ListIndex(), 1);
    EXPECT_EQ(f.l3.ListIndex(), 0);
}

TEST(Dispatch, EmptyPhraseClearsEverySelectionAndRunsNothing)
{
    Fixture f;
    f.add("", "t", "Play");
    f.l2.setListIndex(0);
    f.l3.setListIndex(0);
    f.hear("");
    EXPECT_TRUE(f.player.codes.empty());
    EXPECT_EQ(f.l2.ListIndex(), -1);
    EXPECT_EQ(f.l3.ListIndex(), -1);
}

TEST(Dispatch, WithNoTargetsTheKindsStillRunOnTheEmptyText)
{
    Fixture f;
    f.l1.AddItem("say");
    f.l3.AddItem("Message Prompt");
    f.hear("say");
    EXPECT_EQ(f.desktop.messages, std::vector<std::string>{""});
    EXPECT_EQ(f.l2.ListIndex(), -1);
    EXPECT_EQ(f.l3.ListIndex(), 0);
}

TEST(Dispatch, ErrorsAreReportedWithPhraseAndTargetAndTheNextEntryStillRuns)
{
    Fixture f;
    f.add("go", "/nowhere/*.tmp", "Delete");
    f.add("go", "/locked/file", "Delete");
    f.add("go", "-", "Play");
    f.l1.AddItem("go"); // a fourth phrase with no target and no kind
    f.desktop.deleteOutcomes = {{0, "/nowhere/*.tmp: no file matches"}, {0, "/locked/file: Permission denied"}};
    f.hear("go");
    ASSERT_EQ(f.desktop.messages.size(), 3u);
    for (const auto& m : f.desktop.messages)
        EXPECT_NE(m.find("\"go\""), std::string::npos) << m;
    EXPECT_NE(f.desktop.messages[0].find("/nowhere/*.tmp"), std::string::npos);
    EXPECT_NE(f.desktop.messages[0].find("no file matches"), std::string::npos);
    EXPECT_NE(f.desktop.messages[1].find("Permission denied"), std::string::npos);
    EXPECT_NE(f.desktop.messages[2].find("dirs.txt"), std::string::npos);
    EXPECT_EQ(f.player.codes, std::vector<int32_t>{40045}) << "an error ends only its own entry";
}

TEST(Dispatch, AShortKindListIsReportedNotRun)
{
    Fixture f;
    f.add("a", "t", "Play");
    f.l1.AddItem("b");
    f.l2.AddItem("t2");
    f.hear("b");
    ASSERT_EQ(f.desktop.messages.size(), 1u);
    EXPECT_NE(f.desktop.messages[0].find("desc.txt"), std::string::npos);
    EXPECT_NE(f.desktop.messages[0].find("t2"), std::string::npos);
    EXPECT_TRUE(f.player.codes.empty());
}

TEST(Dispatch, AnEditDuringAMessageBoxDoesNotExtendTheLookup)
{
    Fixture f;
    f.add("go", "first", "Message Prompt");
    f.desktop.onMessageBox = [&](const std::string&) { f.add("go", "-", "Play"); };
    f.hear("go");
    EXPECT_TRUE(f.player.codes.empty());
}

namespace {

// Collects the event log for one test and turns it off again after.
struct LogLines {
    std::vector<std::string> lines;
    LogLines() { setEventLogSink([this](std::string_view l) { lines.emplace_back(l); }); }
    ~LogLines() { setEventLogSink({}); }
};

} // namespace

// What fails without a box must still be found in the log: one line naming
// the phrase, the target and the cause.
TEST(DispatchLog, SilentFailuresAndRunsWriteOneLineEach)
{
    struct Case {
        std::string kind, target;
        std::function<void(Fixture&)> arrange;
        std::string line;
    };
    const std::vector<Case> cases{
        {"Open", "gedit", [](Fixture& f) { f.desktop.openFailure = "no program \"gedit\" on PATH"; },
         "failed \"go\": Open \"gedit\": no program \"gedit\" on PATH"},
        {"Open", "two\nlines", [](Fixture&) {}, "ran \"go\": Open \"two\\nlines\""},
        {"Next Track", "String holder", [](Fixture& f) { f.player.running = false; },
         "failed \"go\": Next Track: no player is running"},
        {"Next Track", "String holder", [](Fixture& f) { f.player.running = true; }, "ran \"go\": Next Track"},
        {"Shut Down", "x", [](Fixture& f) { f.session.refusal = "no system bus to reach logind on"; },
         "failed \"go\": Shut Down: no system bus to reach logind on"},
        {"Hide", "x", [](Fixture&) {}, "ran \"go\": Hide"},
        {"Hop", "x", [](Fixture&) {}, "ignored \"go\": entry 1 has the unknown command \"Hop\""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.kind + " " + c.target);
        Fixture f;
        c.arrange(f);
        f.add("go", c.target, c.kind);
        LogLines log;
        f.hear("go");
        EXPECT_EQ(log.lines, std::vector<std::string>{c.line});
        EXPECT_TRUE(f.desktop.messages.empty()) << "no box for a failure that the user was never shown";
    }
    Fixture f;
    f.add("go", "x", "Open");
    LogLines log;
    f.hear("gone");
    EXPECT_EQ(log.lines, std::vector<std::string>{"ignored \"gone\": no entry of the word list has this phrase"});
}
