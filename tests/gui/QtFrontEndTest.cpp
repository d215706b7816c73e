// The Qt front end over the real forms, offscreen: widgets mirror their
// models, user input reaches the handlers, and the windows have the shape
// the forms ask for.
#include "GuiFixture.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLayout>
#include <QLineEdit>
#include <QListWidget>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <QPointer>
#include <QPushButton>
#include <QRadioButton>
#include <QSystemTrayIcon>
#include <QTest>

#include <gtest/gtest.h>

#include <functional>

using namespace qm;
using qm::test::Gui;
using qm::test::kGrammarHeader;

namespace {

QStringList rows(QListWidget* list)
{
    QStringList out;
    for (int i = 0; i < list->count(); ++i)
        out << list->item(i)->text();
    return out;
}

void clickRow(QListWidget* list, int row)
{
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualItemRect(list->item(row)).center());
}

void clickOption(QRadioButton* button)
{
    // On the round mark itself, which is always part of the button's click area.
    QTest::mouseClick(button, Qt::LeftButton, {}, QPoint(6, button->height() / 2));
}

struct Started : Gui {
    Started()
    {
        seed();
        EXPECT_TRUE(start());
    }
};

} // namespace

TEST(QtGeometry, TwipsBecomePixelsAtTheScreensDensity)
{
    struct Case { int twips; double dpi; int pixels; } cases[] = {
        {15, 96, 1}, {9825, 96, 655}, {-360, 96, -24}, {1440, 120, 120}, {315, 144, 32}, {0, 96, 0},
    };
    for (const auto& c : cases)
        EXPECT_EQ(TwipsToPixels(c.twips, c.dpi), c.pixels) << c.twips << " twips at " << c.dpi;
}

TEST(QtGeometry, ControlsSitWhereTheFormsPutThemAt96Dpi)
{
    Started app;
    ASSERT_DOUBLE_EQ(app.frontEnd.dpiX(), 96.0) << "the offscreen screen is expected at 96 DPI";
    ASSERT_DOUBLE_EQ(app.frontEnd.dpiY(), 96.0);
    app.f4();
    struct Case {
        const char* what;
        std::function<const Control&(Gui&)> control;
        QRect pixels;
        std::function<const Control*(Gui&)> container; // nullptr: the form's client area
    };
    auto inForm = [](Gui&) -> const Control* { return nullptr; };
    const Case cases[] = {
        {"Form1.wordph", [](Gui& g) -> const Control& { return g.f1().wordph; }, {8, 0, 129, 17}, inForm},
        {"Form1.Label3", [](Gui& g) -> const Control& { return g.f1().Label3; }, {216, 0, 129, 17}, inForm},
        {"Form1.Label5", [](Gui& g) -> const Control& { return g.f1().Label5; }, {328, 0, 121, 17}, inForm},
        {"Form1.List1", [](Gui& g) -> const Control& { return g.f1().List1; }, {0, 16, 209, 82}, inForm},
        {"Form1.List3", [](Gui& g) -> const Control& { return g.f1().List3; }, {224, 16, 97, 82}, inForm},
        {"Form1.List2", [](Gui& g) -> const Control& { return g.f1().List2; }, {328, 16, 321, 82}, inForm},
        {"Form1.Image1", [](Gui& g) -> const Control& { return g.f1().Image1; }, {8, 96, 42, 34}, inForm},
        {"Form1.Command5", [](Gui& g) -> const Control& { return g.f1().Command5; }, {560, 112, 89, 21}, inForm},
        {"Form2.Label1", [](Gui& g) -> const Control& { return g.f2().Label1; }, {8, 0, 97, 17}, inForm},
        {"Form2.List3", [](Gui& g) -> const Control& { return g.f2().List3; }, {272, 16, 297, 121}, inForm},
        {"Form2.Command1", [](Gui& g) -> const Control& { return g.f2().Command1; }, {104, 152, 81, 25}, inForm},
        {"Form3.Frame1", [](Gui& g) -> const Control& { return g.f3().Frame1; }, {8, 64, 265, 49}, inForm},
        {"Form3.Option2", [](Gui& g) -> const Control& { return g.f3().Option2; }, {16, 24, 73, 17},
         [](Gui& g) -> const Control* { return &g.f3().Frame1; }},
        {"Form3.Combo1", [](Gui& g) -> const Control& { return g.f3().Combo1; }, {136, 24, 137, 21},
         [](Gui& g) -> const Control* { return &g.f3().Frame2; }},
        {"Form3.Option1", [](Gui& g) -> const Control& { return g.f3().Option1; }, {72, 224, 57, 17}, inForm},
        {"Form3.Text3", [](Gui& g) -> const Control& { return g.f3().Text3; }, {8, 280, 233, 19}, inForm},
        {"Form4.Image1", [](Gui& g) -> const Control& { return g.f4().Image1; }, {0, 8, 144, 88}, inForm},
        {"Form4.Label1", [](Gui& g) -> const Control& { return g.f4().Label1; }, {152, 8, 281, 97}, inForm},
    };
    for (const auto& c : cases) {
        QWidget* w = app.frontEnd.widget(c.control(app));
        ASSERT_NE(w, nullptr) << c.what;
        EXPECT_EQ(w->geometry(), c.pixels) << c.what;
        const Control* container = c.container(app);
        QWidget* parent = container ? app.frontEnd.widget(*container) : nullptr;
        if (container) {
            EXPECT_EQ(w->parentWidget(), parent) << c.what << " sits inside its frame";
        }
    }
}

TEST(QtGeometry, ClientAreasAndFixedPositions)
{
    Started app;
    app.f1().mnu_wordlist_Click();
    app.f1().mnu_addnewword_Click();
    app.f1().mnu_about_Click();
    struct Case { const char* what; std::function<Form&(Gui&)> form; QSize client; std::optional<QPoint> at; } cases[] = {
        {"Form1", [](Gui& g) -> Form& { return g.f1(); }, {655, 137}, std::nullopt},
        {"Form2", [](Gui& g) -> Form& { return g.f2(); }, {583, 183}, QPoint(201, 182)},
        {"Form3", [](Gui& g) -> Form& { return g.f3(); }, {341, 388}, QPoint(312, 285)},
        {"Form4", [](Gui& g) -> Form& { return g.f4(); }, {522, 96}, std::nullopt},
    };
    for (const auto& c : cases) {
        Form& form = c.form(app);
        EXPECT_EQ(app.frontEnd.widget(form)->size(), c.client) << c.what;
        if (c.at) {
            EXPECT_EQ(app.window(form)->geometry().topLeft(), *c.at) << c.what << ": the client area's screen position";
        }
    }
    // The main window is centred on the screen it opens on.
    QWidget* main = app.window(app.f1());
    const QRect screen = main->screen()->availableGeometry();
    EXPECT_LE(std::abs(main->frameGeometry().center().x() - screen.center().x()), 1);
    EXPECT_LE(std::abs(main->frameGeometry().center().y() - screen.center().y()), 1);
}

TEST(QtWindows, FramesCaptionsIconAndTopmost)
{
    Started app;
    app.f4();
    struct Case {
        std::function<Form&(Gui&)> form;
        const char* caption;
        bool minimize, maximize, resizable, topmost;
    } cases[] = {
        {[](Gui& g) -> Form& { return g.f1(); }, "Quillmere Voice Vuredizara Program", true, false, false, true},
        {[](Gui& g) -> Form& { return g.f2(); }, "Words/Phrases List", false, false, false, true},
        {[](Gui& g) -> Form& { return g.f3(); }, "Add Word/Phrase", false, false, false, true},
        {[](Gui& g) -> Form& { return g.f4(); }, "About", true, true, true, false},
    };
    for (const auto& c : cases) {
        QWidget* w = app.window(c.form(app));
        ASSERT_NE(w, nullptr) << c.caption;
        if (QLayout* layout = w->layout())
            layout->activate();
        const Qt::WindowFlags f = w->windowFlags();
        EXPECT_EQ(w->windowTitle(), QString::fromUtf8(c.caption));
        EXPECT_EQ(f.testFlag(Qt::WindowMinimizeButtonHint), c.minimize) << c.caption;
        EXPECT_EQ(f.testFlag(Qt::WindowMaximizeButtonHint), c.maximize) << c.caption;
        EXPECT_TRUE(f.testFlag(Qt::WindowCloseButtonHint)) << c.caption;
        EXPECT_EQ(f.testFlag(Qt::WindowStaysOnTopHint), c.topmost) << c.caption;
        EXPECT_EQ(w->minimumSize() != w->maximumSize(), c.resizable) << c.caption;
        const QList<QSize> sizes = w->windowIcon().availableSizes();
        for (int side : {16, 32, 48})
            EXPECT_TRUE(sizes.contains(QSize(side, side))) << c.caption << " icon lacks " << side;
    }
}

TEST(QtWindows, TabOrderFollowsTabIndexAndTooltipsShow)
{
    Started app;
    auto chain = [&](std::vector<QWidget*> expected) {
        // Walk the focus chain from the first widget, keeping only the ones expected.
        std::vector<QWidget*> seen;
        QWidget* w = expected.front();
        do {
            if (std::find(expected.begin(), expected.end(), w) != expected.end())
                seen.push_back(w);
            w = w->nextInFocusChain();
        } while (w != expected.front() && seen.size() < expected.size());
        return seen == expected;
    };
    Form1& f1 = app.f1();
    EXPECT_TRUE(chain({app.widget(f1.List1), app.widget(f1.List2), app.widget(f1.List3), app.widget(f1.Command5)}));
    Form3& f3 = app.f3();
    EXPECT_TRUE(chain({app.widget(f3.Text1), app.widget(f3.Text3), app.widget(f3.Command1), app.widget(f3.Command2),
                       app.widget(f3.Command3), app.widget(f3.Option1), app.widget(f3.Combo1),
                       app.widget(f3.Option7)}));
    EXPECT_EQ(app.widget(app.f2().List3)->toolTip(), "Filename of executable. Double click to see full directory");
    EXPECT_EQ(app.widget(f3.Text3)->toolTip(), "Locate the executable");
    EXPECT_TRUE(app.widget(f1.List1)->toolTip().isEmpty());
}

TEST(QtMirror, ListWidgetsFollowTheirModels)
{
    Started app;
    ListBox& list = app.f1().List1;
    auto* lw = app.widget<QListWidget>(list);
    EXPECT_EQ(rows(lw), (QStringList{"open notes", "next", "say hi"}));
    list.AddItem("four");
    list.setListIndex(3);
    EXPECT_EQ(lw->count(), 4);
    EXPECT_EQ(lw->currentRow(), 3);
    list.RemoveItem(1);
    EXPECT_EQ(rows(lw), (QStringList{"open notes", "say hi", "four"}));
    EXPECT_EQ(lw->currentRow(), 2) << "the selection moves with its row";
    list.RemoveItem(2);
    EXPECT_EQ(lw->currentRow(), -1);
    EXPECT_TRUE(lw->selectedItems().isEmpty());
    list.Clear();
    EXPECT_EQ(lw->count(), 0);
    // Appended rows show by the next turn of the event loop, and before any other change.
    for (const char* item : {"a", "b", "c"})
        list.AddItem(item);
    list.RemoveItem(1);
    EXPECT_EQ(rows(lw), (QStringList{"a", "c"}));
    list.AddItem("d");
    Gui::settle();
    EXPECT_EQ(rows(lw), (QStringList{"a", "c", "d"}));
    // Changes from the model raise no handler: the word list's Click mirrors only the user's choice.
    ListBox& wordList = app.f2().List1;
    wordList.setListIndex(2);
    EXPECT_EQ(app.f2().List2.ListIndex(), -1);
}

TEST(QtMirror, CaptionsTextsAndStatesFollowTheirModels)
{
    Started app;
    Form3& f3 = app.f3();
    f3.Text1.setText("typed by code");
    EXPECT_EQ(app.widget<QLineEdit>(f3.Text1)->text(), "typed by code");
    f3.Command1.setCaption("Keep");
    EXPECT_EQ(app.widget<QPushButton>(f3.Command1)->text(), "Keep");
    f3.Frame1.setCaption("Session");
    EXPECT_EQ(app.widget<QGroupBox>(f3.Frame1)->title(), "Session");
    f3.Combo1.setEnabled(false);
    EXPECT_FALSE(app.widget(f3.Combo1)->isEnabled());
    f3.Option5.setValue(true);
    EXPECT_TRUE(app.widget<QRadioButton>(f3.Option5)->isChecked());
    f3.Option5.setValue(false);
    EXPECT_FALSE(app.widget<QRadioButton>(f3.Option5)->isChecked()) << "Qt's own grouping would keep it checked";
    app.f1().setCaption("Renamed");
    EXPECT_EQ(app.window(app.f1())->windowTitle(), "Renamed");
    EXPECT_EQ(app.widget<QLabel>(app.f1().Label5)->text(), "File\\Message");
    app.f4();
    EXPECT_EQ(app.widget<QLabel>(app.f4().Label1)->text(),
              QString("Maker: %1\nWebsite: %2\n").arg(kMakerName, kMakerWebsite));
}

TEST(QtMirror, WindowsShowAndHideWithTheirForms)
{
    Started app;
    EXPECT_TRUE(app.window(app.f1())->isVisible());
    EXPECT_FALSE(app.window(app.f2())->isVisible());
    EXPECT_FALSE(app.window(app.f3())->isVisible());
    app.f1().mnu_addnewword_Click();
    EXPECT_TRUE(app.window(app.f3())->isVisible());
    app.f1().mnu_hide_Click();
    // With no tray icon to come back by (offscreen has none) the main window is minimised.
    EXPECT_TRUE(app.window(app.f1())->isMinimized());
    for (Form* f : std::initializer_list<Form*>{&app.f2(), &app.f3(), &app.f4()})
        EXPECT_FALSE(app.window(*f)->isVisible()) << f->Name();
    app.f1().mnu_show1_Click();
    EXPECT_TRUE(app.window(app.f1())->isVisible());
    EXPECT_FALSE(app.window(app.f3())->isVisible());

    // "Show" on a minimised main window brings it back.
    app.window(app.f1())->showMinimized();
    app.f1().mnu_show1_Click();
    EXPECT_FALSE(app.window(app.f1())->isMinimized());
}

TEST(QtMirror, TheIndicatorShowsWhileAPhraseIsHeard)
{
    Started app;
    QWidget* main = app.window(app.f1());
    QWidget* indicator = app.widget(app.f1().Image1);
    EXPECT_FALSE(indicator->isVisibleTo(main));
    app.f1().DirectSR1_PhraseStart(0, 0);
    EXPECT_TRUE(indicator->isVisibleTo(main));
    app.sr.say("next");
    EXPECT_FALSE(indicator->isVisibleTo(main));
    EXPECT_EQ(app.player.codes, std::vector<int32_t>{40048});
    EXPECT_EQ(app.widget<QListWidget>(app.f1().List3)->currentRow(), 1) << "the dispatch's selection shows";
}

TEST(QtInput, ClickingARowMirrorsTheWordListColumns)
{
    Started app;
    app.f1().mnu_wordlist_Click();
    Form2& f2 = app.f2();
    clickRow(app.widget<QListWidget>(f2.List1), 2);
    EXPECT_EQ(f2.List1.ListIndex(), 2);
    EXPECT_EQ(app.widget<QListWidget>(f2.List2)->currentRow(), 2);
    EXPECT_EQ(app.widget<QListWidget>(f2.List3)->currentRow(), 2);
    QTest::keyClick(app.widget(f2.List3), Qt::Key_Up);
    EXPECT_EQ(f2.List1.ListIndex(), 1) << "the keyboard selects as the mouse does";
    EXPECT_EQ(f2.List2.ListIndex(), 1);
}

TEST(QtInput, DoubleClickShowsTheFullTarget)
{
    Started app;
    app.f1().mnu_wordlist_Click();
    auto* targets = app.widget<QListWidget>(app.f2().List3);
    const QPoint at = targets->visualItemRect(targets->item(0)).center();
    // A double-click begins with a click, as a real one does.
    QTest::mouseClick(targets->viewport(), Qt::LeftButton, {}, at);
    QTest::mouseDClick(targets->viewport(), Qt::LeftButton, {}, at);
    EXPECT_EQ(app.desktop.messages, std::vector<std::string>{"/opt/tools/notes"});
}

TEST(QtInput, TypingChoosingAndSavingAnEntry)
{
    Started app;
    app.f1().mnu_addnewword_Click();
    Form3& f3 = app.f3();
    QTest::keyClicks(app.widget(f3.Text1), "good morning");
    clickOption(app.widget<QRadioButton>(f3.Option4));
    QTest::keyClicks(app.widget(f3.Text3), "Rise and shine");
    EXPECT_EQ(f3.Text1.Text(), "good morning");
    EXPECT_EQ(f3.selectedKind(), "Message Prompt");
    QTest::mouseClick(app.widget(f3.Command1), Qt::LeftButton);
    Gui::settle();

    EXPECT_EQ(app.dir.read("desc.txt"), "Open\r\n\r\nNext Track\r\n\r\nMessage Prompt\r\n\r\nMessage Prompt\r\n\r\n");
    EXPECT_EQ(rows(app.widget<QListWidget>(app.f1().List1)).last(), "good morning");
    EXPECT_EQ(rows(app.widget<QListWidget>(app.f2().List1)).last(), "good morning");
    EXPECT_EQ(app.widget<QLineEdit>(f3.Text1)->text(), "") << "a saved entry clears the boxes";
    app.sr.say("good morning");
    EXPECT_EQ(app.desktop.messages, std::vector<std::string>{"Rise and shine"});
}

TEST(QtInput, PastedLineBreaksAreRefusedWhole)
{
    Started app;
    app.f1().mnu_addnewword_Click();
    Form3& f3 = app.f3();
    auto* edit = app.widget<QLineEdit>(f3.Text3);
    QTest::keyClicks(edit, "kept");
    QApplication::clipboard()->setText("two\nlines");
    edit->paste();
    EXPECT_EQ(f3.Text3.Text(), "kept");
    EXPECT_EQ(edit->text(), "kept") << "the box shows what the model holds";
    ASSERT_EQ(app.desktop.messages.size(), 1u);
    EXPECT_NE(app.desktop.messages[0].find("line break"), std::string::npos);
    QApplication::clipboard()->setText(" too");
    edit->paste();
    EXPECT_EQ(f3.Text3.Text(), "kept too");
}

TEST(QtInput, OptionButtonsAreGroupedByTheirFrameNotByQt)
{
    Started app;
    app.f1().mnu_addnewword_Click();
    Form3& f3 = app.f3();
    auto* winamp = app.widget<QRadioButton>(f3.Option7);
    auto* noWinamp = app.widget<QRadioButton>(f3.Option8);
    auto* open = app.widget<QRadioButton>(f3.Option1);
    clickOption(open);
    clickOption(winamp);
    EXPECT_TRUE(winamp->isChecked());
    EXPECT_TRUE(open->isChecked()) << "another container keeps its choice";
    EXPECT_TRUE(app.widget(f3.Combo1)->isEnabled());
    EXPECT_FALSE(app.widget(f3.Text3)->isEnabled());
    EXPECT_FALSE(open->isEnabled());
    clickOption(winamp);
    EXPECT_TRUE(winamp->isChecked()) << "a second click keeps the choice";
    EXPECT_TRUE(f3.Option7.Value());
    clickOption(noWinamp);
    EXPECT_FALSE(winamp->isChecked());
    EXPECT_TRUE(open->isEnabled());
}

TEST(QtInput, TheComboTakesPicksAndTypingButAddsNothing)
{
    Started app;
    app.f1().mnu_addnewword_Click();
    Form3& f3 = app.f3();
    clickOption(app.widget<QRadioButton>(f3.Option7));
    auto* combo = app.widget<QComboBox>(f3.Combo1);
    EXPECT_EQ(combo->count(), 9);
    EXPECT_EQ(combo->currentText(), "Play");
    combo->setCurrentIndex(2);
    emit combo->activated(2); // as the drop-down does when an item is picked
    EXPECT_EQ(f3.Combo1.ListIndex(), 2);
    EXPECT_EQ(f3.Combo1.Text(), "Next Track");
    combo->lineEdit()->selectAll();
    QTest::keyClicks(combo->lineEdit(), "Rewind");
    QTest::keyClick(combo->lineEdit(), Qt::Key_Return);
    EXPECT_EQ(f3.Combo1.Text(), "Rewind");
    EXPECT_EQ(f3.Combo1.ListIndex(), -1);
    EXPECT_EQ(combo->count(), 9) << "Return must not add the typed text to the list";
    EXPECT_EQ(combo->currentText(), "Rewind");
}

TEST(QtMenus, TheMenuBarIsTheModelsAndItsItemsRunTheirHandlers)
{
    Started app;
    auto* main = dynamic_cast<QMainWindow*>(app.window(app.f1()));
    ASSERT_NE(main, nullptr);
    QStringList bar, file;
    for (QAction* a : main->menuBar()->actions())
        bar << a->text();
    EXPECT_EQ(bar, (QStringList{"File", "Help"}));
    for (QAction* a : main->menuBar()->actions().first()->menu()->actions())
        file << a->text();
    EXPECT_EQ(file, (QStringList{"Add New Word/Phrase", "Edit Word List", "Hide",
                                 "Disable Quillmere Voice Vuredizara Program", "Exit"}));

    app.frontEnd.action(*app.f1().menuBar.find("mnu_wordlist"))->trigger();
    EXPECT_TRUE(app.window(app.f2())->isVisible());
    app.frontEnd.action(*app.f1().menuBar.find("mnu_about"))->trigger();
    ASSERT_TRUE(app.set.form4Loaded());
    EXPECT_TRUE(app.window(app.f4())->isVisible());
    app.frontEnd.action(*app.f1().menuBar.find("mnu_disable"))->trigger();
    EXPECT_FALSE(app.sr.listening());
    EXPECT_EQ(app.desktop.messages, std::vector<std::string>{"Disabled"});
}

TEST(QtClose, TheFrameAsksTheFormWhichDecides)
{
    Started app;
    app.f1().mnu_wordlist_Click();
    app.f1().mnu_about_Click();

    EXPECT_FALSE(app.window(app.f2())->close()) << "the word list hides and stays loaded";
    EXPECT_TRUE(app.set.form2Loaded());
    EXPECT_FALSE(app.window(app.f2())->isVisible());

    QPointer<QWidget> about = app.window(app.f4());
    about->close();
    EXPECT_FALSE(app.set.form4Loaded()) << "the About window unloads";
    Gui::deleteDeferred();
    EXPECT_TRUE(about.isNull());

    app.f1().List1.AddItem("unsaved");
    app.f1().List2.AddItem("x");
    app.f1().List3.AddItem("Show");
    app.window(app.f1())->close();
    EXPECT_NE(app.dir.read("words.txt").find("<start>=unsaved"), std::string::npos) << "closing saves";
    EXPECT_FALSE(app.set.trayShown());
}

TEST(QtClose, AWindowUnloadedByItsOwnButtonGoesAfterTheClick)
{
    Started app;
    app.f1().mnu_addnewword_Click();
    QPointer<QWidget> first = app.window(app.f3());
    app.f3().Text1.setText("left behind");
    QTest::mouseClick(app.widget(app.f3().Command2), Qt::LeftButton); // Close
    EXPECT_FALSE(app.set.form3Loaded());
    ASSERT_FALSE(first.isNull()) << "deleted only once the handler has returned";
    EXPECT_FALSE(first->isVisible());
    Gui::deleteDeferred();
    EXPECT_TRUE(first.isNull());

    app.f1().mnu_addnewword_Click();
    EXPECT_TRUE(app.window(app.f3())->isVisible());
    EXPECT_EQ(app.widget<QLineEdit>(app.f3().Text1)->text(), "");
}

TEST(QtTray, NoNotificationAreaMeansNoIconButTheProgramRuns)
{
    ASSERT_FALSE(QSystemTrayIcon::isSystemTrayAvailable()) << "offscreen has no notification area";
    Started app;
    EXPECT_FALSE(app.set.trayShown());
    EXPECT_EQ(app.frontEnd.trayIcon(), nullptr);
    EXPECT_TRUE(app.window(app.f1())->isVisible());
    EXPECT_NE(app.noTrayNotice.find("no notification area"), std::string::npos) << app.noTrayNotice;
}

TEST(QtBulk, AFullWordListLoadsIntoEveryColumn)
{
    Gui app;
    std::string words = kGrammarHeader, dirs, desc;
    for (int i = 0; i < ListBox::kMaxItems; ++i) {
        words += "<start>=phrase " + std::to_string(i) + "\r\n";
        dirs += "/targets/" + std::to_string(i) + "\r\n\r\n";
        desc += "Open\r\n\r\n";
    }
    app.dir.write("words.txt", words + "\r\n");
    app.dir.write("dirs.txt", dirs);
    app.dir.write("desc.txt", desc);
    ASSERT_TRUE(app.start());
    for (const ListBox* list : {&app.f1().List1, &app.f1().List2, &app.f1().List3, &app.f2().List1, &app.f2().List2,
                                &app.f2().List3}) {
        auto* lw = app.widget<QListWidget>(*list);
        ASSERT_EQ(lw->count(), ListBox::kMaxItems) << list->Name();
        EXPECT_EQ(lw->item(ListBox::kMaxItems - 1)->text().toStdString(), list->List(ListBox::kMaxItems - 1));
    }
    app.sr.say("phrase 32766");
    EXPECT_EQ(app.widget<QListWidget>(app.f1().List1)->currentRow(), 32766);
}
