#include "ScriptedProgram.h"
#include "FakeBackends.h"
#include "FakeDesktop.h"
#include "FakeFrontEnd.h"
#include "Form1.h"
#include "Form2.h"
#include "Form3.h"
#include "Form4.h"
#include "ScriptedRecognizer.h"
#include "TestFolder.h"
#include "WindowSet.h"

#include <gtest/gtest.h>

using namespace qm;
using Op = ScriptedRecognizer::Op;

namespace {

const std::string kHeader = "[Grammer]\r\ntype=cfg\r\n[<start>]\r\n";

struct App : test::ScriptedProgram {
    explicit App(bool seed = true)
    {
        if (seed) {
            dir.write("words.txt", kHeader + "<start>=open notes\r\n<start>=next\r\n<start>=say hi\r\n\r\n");
            dir.write("dirs.txt", "C:\\Tools\\notes.exe\r\n\r\nString holder\r\n\r\nHello there\r\n\r\n");
            dir.write("desc.txt", "Open\r\n\r\nNext Track\r\n\r\nMessage Prompt\r\n\r\n");
        }
    }
    Form1& f1() { return set.form1(); }
    Form2& f2() { return set.form2(); }
    Form3& f3() { return set.form3(); }
    void started() { ASSERT_TRUE(set.start()); }
};

} // namespace

TEST(Forms, StartUpLoadsTheStoreListensAndShowsTheMainWindow)
{
    App app(false);
    app.started();
    EXPECT_EQ(app.dir.read("words.txt"), "") << "a first start creates empty files";
    EXPECT_TRUE(app.sr.listening());
    EXPECT_EQ(app.frontEnd.bound, (std::vector<std::string>{"Form1", "Form2", "Form3"}));
    EXPECT_TRUE(app.f1().Visible());
    EXPECT_FALSE(app.f2().Visible());
    EXPECT_FALSE(app.f3().Visible());
    EXPECT_EQ(app.f3().Combo1.ListCount(), 9);
    EXPECT_EQ(app.f3().Combo1.Text(), "Play");
    EXPECT_EQ(app.f3().Combo1.ItemData(8), 40001);
    EXPECT_EQ(app.frontEnd.trayTip, "Quillmere Voice Vuredizara");
    EXPECT_EQ(app.desktop.topmost.size(), 3u) << "the main, word list and add windows";
}

TEST(Forms, ARecognizerFailureAtStartUpIsReportedAndTheTableStillShows)
{
    App app;
    app.sr.failNext(Op::Load, 2);
    app.started();
    ASSERT_EQ(app.desktop.messages.size(), 1u);
    EXPECT_EQ(app.f1().List1.Items(), (std::vector<std::string>{"open notes", "next", "say hi"}));
    EXPECT_TRUE(app.f1().Visible());
    EXPECT_FALSE(app.sr.listening());
}

TEST(Forms, StoreFolderThatCannotBeUsedEndsTheStartWithAMessage)
{
    App app(false);
    app.dir.write("words.txt", "");
    std::filesystem::remove(app.dir.file("words.txt"));
    std::filesystem::create_directory(app.dir.file("words.txt"));
    EXPECT_FALSE(app.set.start());
    ASSERT_EQ(app.desktop.messages.size(), 1u);
    EXPECT_NE(app.desktop.messages[0].find("words.txt"), std::string::npos);
}

TEST(Forms, SpokenPhrasesRunThroughTheMainWindow)
{
    App app;
    app.started();
    app.sr.say("next");
    EXPECT_EQ(app.player.codes, std::vector<int32_t>{40048});
    EXPECT_EQ(app.f1().List1.ListIndex(), 1);
    app.f1().DirectSR1_PhraseStart(0, 0);
    EXPECT_TRUE(app.f1().Image1.Visible());
    app.sr.say("nothing like it");
    EXPECT_FALSE(app.f1().Image1.Visible());
}

TEST(Forms, RefusedSpeechHidesTheIndicatorAndRunsNothing)
{
    App app;
    app.started();
    app.sr.say("next");
    ASSERT_EQ(app.f1().List3.ListIndex(), 1);
    bool shown = false;
    app.f1().Image1.setVisible(false);
    RecognizerEvents events;
    events.PhraseStart = [&](int32_t a, int32_t b) {
        app.f1().DirectSR1_PhraseStart(a, b);
        shown = app.f1().Image1.Visible();
    };
    events.PhraseFinish = [&](int32_t a1, int32_t a2, int32_t a3, int32_t a4, int32_t a5, const std::string& p,
                              const std::string& a7, int32_t a8) { app.f1().DirectSR1_PhraseFinish(a1, a2, a3, a4, a5, p, a7, a8); };
    app.sr.setEvents(events);
    app.sr.refuse();
    EXPECT_TRUE(shown) << "phrase-started showed the indicator";
    EXPECT_FALSE(app.f1().Image1.Visible());
    EXPECT_EQ(app.f1().List1.ListIndex(), -1);
    EXPECT_EQ(app.f1().List2.ListIndex(), -1);
    EXPECT_EQ(app.f1().List3.ListIndex(), -1);
    EXPECT_EQ(app.player.codes, std::vector<int32_t>{40048}) << "only the phrase said before ran";
}

TEST(Forms, SaveWritesTheEntryAndReloads)
{
    App app;
    app.started();
    Form3& f3 = app.f3();
    f3.Text1.userSetText("play it");
    f3.Option7.userClick();
    f3.Combo1.userSelect(2);
    f3.Command1.userClick();
    EXPECT_EQ(app.dir.read("words.txt"), kHeader + "<start>=open notes\r\n<start>=next\r\n<start>=say hi\r\n<start>=play it\r\n\r\n");
    EXPECT_EQ(app.dir.read("dirs.txt"), "C:\\Tools\\notes.exe\r\n\r\nString holder\r\n\r\nHello there\r\n\r\nString holder\r\n\r\n");
    EXPECT_EQ(app.dir.read("desc.txt"), "Open\r\n\r\nNext Track\r\n\r\nMessage Prompt\r\n\r\nNext Track\r\n\r\n");
    EXPECT_EQ(app.f1().List1.ListCount(), 4);
    EXPECT_EQ(app.f2().List2.Items().back(), "Next Track");
    EXPECT_EQ(f3.Text1.Text(), "");
    EXPECT_EQ(app.sr.grammar().back(), "play it") << "the recognizer hears the new phrase at once";
}

TEST(Forms, SaveRightAfterLoadStoresThePlayerListsFirstCommand)
{
    App app(false);
    app.started();
    app.f3().Text1.userSetText("go");
    app.f3().Command1.userClick();
    EXPECT_EQ(app.dir.read("desc.txt"), "Play\r\n\r\n");
}

TEST(Forms, OptionButtonsFollowTheirTable)
{
    App app;
    app.started();
    Form3& f3 = app.f3();
    f3.Option4.userClick();
    EXPECT_EQ(f3.selectedKind(), "Message Prompt");
    EXPECT_FALSE(f3.Combo1.Enabled());
    f3.Option2.userClick();
    EXPECT_EQ(f3.selectedKind(), "Shut Down");
    EXPECT_TRUE(f3.Option4.Value()) << "another container's choice stays";
    EXPECT_FALSE(f3.Text3.Enabled());

    f3.Option7.userClick();
    EXPECT_TRUE(f3.Combo1.Enabled());
    EXPECT_FALSE(f3.Option1.Enabled());
    EXPECT_TRUE(f3.Option2.Value()) << "disabling keeps the chosen mark";
    f3.Option8.userClick();
    EXPECT_FALSE(f3.Option7.Value());
    EXPECT_TRUE(f3.Option1.Enabled());
    EXPECT_TRUE(f3.Combo1.Enabled()) << "the list stays enabled until another kind is chosen";
    f3.Option9.userClick();
    EXPECT_FALSE(f3.Combo1.Enabled());
    EXPECT_EQ(f3.selectedKind(), "Hide");
}

TEST(Forms, SaveRefusesWhatWouldShiftTheStoreFiles)
{
    App app;
    app.started();
    const std::string before = app.dir.read("words.txt");
    Form3& f3 = app.f3();
    struct Case { const char* phrase; const char* combo; } cases[] = {
        {"", "Play"},          // no phrase
        {"hello", "play"},     // a list text that is no player command, and no kind chosen
        {"hello", "Play "},
    };
    for (const auto& c : cases) {
        f3.Text1.setText(c.phrase);
        f3.Combo1.userSetText(c.combo);
        f3.Command1.userClick();
    }
    EXPECT_EQ(app.desktop.messages.size(), 3u);
    EXPECT_EQ(app.dir.read("words.txt"), before);
    EXPECT_EQ(app.f1().List1.ListCount(), 3);

    EXPECT_FALSE(f3.Text3.userSetText("two\r\nlines"));
    EXPECT_EQ(f3.Text3.Text(), "");
    EXPECT_EQ(app.desktop.messages.size(), 4u);
}

TEST(Forms, BrowseReplacesTheTargetAndACancelKeepsIt)
{
    App app;
    app.started();
    Form3& f3 = app.f3();
    f3.Text3.userSetText("typed");
    app.desktop.dialogAnswers = {std::string("/usr/bin/editor"), std::nullopt};
    f3.Command3.userClick();
    EXPECT_EQ(f3.Text3.Text(), "/usr/bin/editor");
    f3.Command3.userClick();
    EXPECT_EQ(f3.Text3.Text(), "/usr/bin/editor");
}

TEST(Forms, CloseGivesAFreshAddWindowAndHideKeepsIt)
{
    App app;
    app.started();
    app.f3().Text1.userSetText("kept");
    app.f3().Option3.userClick();
    app.f1().mnu_hide_Click();
    app.f1().mnu_addnewword_Click();
    EXPECT_EQ(app.f3().Text1.Text(), "kept");
    EXPECT_TRUE(app.f3().Option3.Value());

    app.f3().Command2.userClick();
    EXPECT_FALSE(app.set.form3Loaded());
    app.sr.say("nothing"); // any later event must not touch the old instance
    app.f1().mnu_addnewword_Click();
    Form3& fresh = app.f3();
    EXPECT_TRUE(fresh.Visible());
    EXPECT_EQ(fresh.Text1.Text(), "");
    EXPECT_FALSE(fresh.Option3.Value());
    EXPECT_EQ(fresh.Combo1.ListCount(), 9);
    EXPECT_EQ(fresh.selectedKind(), "");
}

TEST(Forms, WordListMirrorsSelectionUntilARowIsMissing)
{
    App app;
    app.dir.write("dirs.txt", "only one\r\n");
    app.started();
    Form2& f2 = app.f2();
    f2.List2.userSelect(0);
    EXPECT_EQ(f2.List1.ListIndex(), 0);
    EXPECT_EQ(f2.List3.ListIndex(), 0);
    f2.List1.userSelect(2);
    EXPECT_EQ(f2.List2.ListIndex(), 2);
    EXPECT_EQ(f2.List3.ListIndex(), 0) << "List3 has no row 2";
    f2.List2.userSelect(1);
    EXPECT_EQ(f2.List1.ListIndex(), 1);
}

TEST(Forms, DoubleClickShowsTheFullTarget)
{
    App app;
    app.started();
    Form2& f2 = app.f2();
    EXPECT_EQ(f2.List3.Items()[0], "notes.exe");
    f2.List3.userDoubleClick();
    f2.List3.userSelect(0);
    f2.List1.userDoubleClick();
    EXPECT_EQ(app.desktop.messages, (std::vector<std::string>{"", "C:\\Tools\\notes.exe"}));
}

TEST(Forms, DeleteRemovesTheKindColumnsEntryEverywhere)
{
    App app;
    app.started();
    app.f2().List2.userSelect(1);
    app.f2().Command2.userClick();
    EXPECT_EQ(app.dir.read("words.txt"), kHeader + "<start>=open notes\r\n<start>=say hi\r\n\r\n");
    EXPECT_EQ(app.f1().List3.Items(), (std::vector<std::string>{"Open", "Message Prompt"}));
    EXPECT_EQ(app.f2().List1.ListIndex(), -1);
    EXPECT_EQ(app.sr.grammar(), (std::vector<std::string>{"open notes", "say hi"}));
}

TEST(Forms, DeleteWithNothingSelectedRebuildsAndRestartsListening)
{
    App app;
    app.started();
    app.f1().mnu_disable1_Click();
    EXPECT_FALSE(app.sr.listening());
    app.f2().Command2.userClick();
    EXPECT_EQ(app.f1().List1.ListCount(), 3);
    EXPECT_EQ(app.f2().List1.ListCount(), 3);
    EXPECT_TRUE(app.sr.listening());
}

TEST(Forms, HideHidesAllFourAndShowOnlyTheMainWindow)
{
    App app;
    app.started();
    app.f2().Show();
    EXPECT_FALSE(app.set.form4Loaded());
    app.f1().mnu_hide1_Click();
    EXPECT_TRUE(app.set.form4Loaded());
    EXPECT_FALSE(app.f1().Visible() || app.f2().Visible() || app.f3().Visible() || app.set.form4().Visible());
    app.f1().mnu_show1_Click();
    EXPECT_TRUE(app.f1().Visible());
    EXPECT_FALSE(app.f2().Visible());
}

TEST(Forms, VoiceHideRecreatesAClosedAddWindowHidden)
{
    App app;
    app.dir.write("words.txt", "<start>=hide\r\n");
    app.dir.write("dirs.txt", "x\r\n");
    app.dir.write("desc.txt", "Hide\r\n");
    app.started();
    app.f3().Command2.userClick();
    app.sr.say("hide");
    EXPECT_TRUE(app.set.form3Loaded());
    EXPECT_FALSE(app.f3().Visible());
    EXPECT_FALSE(app.f1().Visible());
}

TEST(Forms, TrayButtonsAndTheWordListsCloseBox)
{
    App app;
    app.started();
    app.f1().Tray_RightButtonUp();
    app.f1().Tray_LeftDoubleClick();
    EXPECT_EQ(app.frontEnd.popups, std::vector<std::string>{"mnu_popup"});
    EXPECT_EQ(app.desktop.messages, std::vector<std::string>{"Dbl Click in the systray needs event"});
    app.f2().Show();
    app.f2().userClose();
    EXPECT_TRUE(app.set.form2Loaded());
    EXPECT_FALSE(app.f2().Visible());
}

TEST(Forms, ClosingSavesAndExitDoesNotBothRemoveTheTrayIcon)
{
    for (bool close : {true, false}) {
        App app;
        app.started();
        app.f1().List1.AddItem("unsaved");
        app.f1().List2.AddItem("t");
        app.f1().List3.AddItem("Show");
        if (close)
            app.f1().userClose();
        else
            app.f1().Command5.userClick();
        EXPECT_EQ(app.dir.read("words.txt").find("unsaved") != std::string::npos, close);
        EXPECT_EQ(app.frontEnd.quits, 1);
        EXPECT_FALSE(app.frontEnd.trayShown);
    }
}

TEST(Forms, AboutShowsTheTwoMakerLinesAfterEveryLoad)
{
    App app;
    app.started();
    app.f1().mnu_about_Click();
    app.f1().mnu_about1_Click();
    EXPECT_EQ(std::count(app.frontEnd.bound.begin(), app.frontEnd.bound.end(), "Form4"), 1);
    const std::string first = app.set.form4().Label1.Caption();
    app.set.form4().userClose();
    app.f1().mnu_about_Click();
    EXPECT_EQ(app.set.form4().Label1.Caption(), first);
    EXPECT_EQ(first.rfind("Maker: ", 0), 0u);
    EXPECT_EQ(std::count(first.begin(), first.end(), '\n'), 2);
}
