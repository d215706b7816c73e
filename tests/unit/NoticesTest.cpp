// What the user is told about the program's own state: that it does not
// listen (once per change, and by the tray icon's colour), and that there is
// no tray icon to come back by.
#include "ScriptedProgram.h"
#include "FakeBackends.h"
#include "FakeDesktop.h"
#include "FakeFrontEnd.h"
#include "Form1.h"
#include "Form2.h"
#include "Form3.h"
#include "ScriptedRecognizer.h"
#include "TestFolder.h"
#include "WindowSet.h"

#include <gtest/gtest.h>

#include <algorithm>

using namespace qm;
using Op = ScriptedRecognizer::Op;

namespace {

struct App : test::ScriptedProgram {
    long notListeningBoxes() const
    {
        return std::count_if(desktop.messages.begin(), desktop.messages.end(),
                             [](const std::string& m) { return m.find("is not listening") != std::string::npos; });
    }
    // A machine with no microphone: every activation fails, the retry too.
    void deaf(int reloads) { sr.failNext(Op::Activate, 2 * reloads); }
    void save(const std::string& phrase)
    {
        Form3& f3 = set.form3();
        f3.Text1.userSetText(phrase);
        f3.Command1.userClick();
    }
};

} // namespace

TEST(Notices, NotListeningIsToldOncePerChangeAndTheTrayIconShowsIt)
{
    App app;
    app.deaf(4);
    ASSERT_TRUE(app.set.start());
    EXPECT_EQ(app.notListeningBoxes(), 1) << "told at start";
    EXPECT_EQ(app.frontEnd.trayListening, std::vector<bool>{false});

    // Save, Delete and Enable each reload, and each still cannot listen.
    app.save("one");
    app.set.form2().Command2.userClick();
    app.set.form1().mnu_enable_Click();
    EXPECT_EQ(app.notListeningBoxes(), 1) << "nothing changed, so nothing more is said";
    EXPECT_EQ(std::count(app.desktop.messages.begin(), app.desktop.messages.end(), "Enabled"), 0);
    EXPECT_EQ(app.set.form1().List1.Items(), std::vector<std::string>{"one"}) << "the table still shows";

    // The microphone comes back: the icon regains its colour without a word.
    app.save("two");
    EXPECT_TRUE(app.sr.listening());
    EXPECT_EQ(app.frontEnd.trayListening, (std::vector<bool>{false, true}));
    EXPECT_EQ(app.notListeningBoxes(), 1);

    // ... and goes again: that is a new change, told again.
    app.deaf(1);
    app.save("three");
    EXPECT_EQ(app.notListeningBoxes(), 2);
    EXPECT_EQ(app.frontEnd.trayListening, (std::vector<bool>{false, true, false}));
    EXPECT_EQ(app.frontEnd.trayTip, "Quillmere Voice Vuredizara") << "the tip keeps its text";
}

TEST(Notices, DisabledIsGreyAndEnableBringsTheColourBack)
{
    App app;
    ASSERT_TRUE(app.set.start());
    EXPECT_TRUE(app.frontEnd.trayListening.empty()) << "listening from the start: the icon as drawn";
    app.set.form1().mnu_disable1_Click();
    app.set.form1().mnu_disable1_Click();
    app.set.form1().mnu_enable_Click();
    EXPECT_EQ(app.frontEnd.trayListening, (std::vector<bool>{false, true}));
    EXPECT_EQ(app.desktop.messages, (std::vector<std::string>{"Disabled", "Disabled", "Enabled"}));
}

TEST(Notices, WithoutANotificationAreaHideMinimisesAndStartSaysSo)
{
    App app;
    app.frontEnd.hasTray = false;
    ASSERT_TRUE(app.set.start());
    ASSERT_EQ(app.desktop.messages.size(), 1u);
    EXPECT_NE(app.desktop.messages[0].find("no notification area"), std::string::npos);

    app.set.form2().Show();
    app.set.form1().mnu_hide_Click();
    EXPECT_TRUE(app.set.form1().Visible()) << "a hidden main window could never be shown again";
    EXPECT_FALSE(app.set.form2().Visible());
    app.set.hideForVoice();
    EXPECT_EQ(app.frontEnd.minimized, (std::vector<std::string>{"Form1", "Form1"}));

    App withTray;
    ASSERT_TRUE(withTray.set.start());
    withTray.set.form1().mnu_hide_Click();
    EXPECT_FALSE(withTray.set.form1().Visible());
    EXPECT_TRUE(withTray.frontEnd.minimized.empty());
    EXPECT_TRUE(withTray.desktop.messages.empty());
}
