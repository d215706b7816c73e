#include "Form3.h"

#include "CommandKinds.h"
#include "Form1.h"
#include "Form2.h"
#include "WindowSet.h"

namespace qm {

namespace {

enum class Set { Enabled, Disabled, Unchanged };

struct OptionRow {
    OptionButton Form3::*button;
    const char* caption;
    Set textAndBrowse, combo, others;
    const char* kind; // nullptr leaves the selected kind as it is
};

// What choosing each option button does. Three kinds differ from their
// captions: "Shut Down", "Hide" and "Show" are what desc.txt holds.
const OptionRow kOptionRows[] = {
    {&Form3::Option1, "Open", Set::Enabled, Set::Disabled, Set::Unchanged, "Open"},
    {&Form3::Option3, "Delete", Set::Enabled, Set::Disabled, Set::Unchanged, "Delete"},
    {&Form3::Option4, "Message Prompt", Set::Enabled, Set::Disabled, Set::Unchanged, "Message Prompt"},
    {&Form3::Option9, "Hide The program", Set::Disabled, Set::Disabled, Set::Unchanged, "Hide"},
    {&Form3::Option10, "Show the program", Set::Disabled, Set::Disabled, Set::Unchanged, "Show"},
    {&Form3::Option2, "Shut down", Set::Disabled, Set::Disabled, Set::Unchanged, "Shut Down"},
    {&Form3::Option5, "Restart", Set::Disabled, Set::Disabled, Set::Unchanged, "Restart"},
    {&Form3::Option6, "Log Off", Set::Disabled, Set::Disabled, Set::Unchanged, "Log Off"},
    {&Form3::Option7, "Winamp Commands", Set::Disabled, Set::Enabled, Set::Disabled, nullptr},
    {&Form3::Option8, "No Winamp Commands", Set::Enabled, Set::Unchanged, Set::Enabled, nullptr},
};

// The eight option buttons that the player switch turns off and on.
OptionButton Form3::* const kKindButtons[] = {&Form3::Option1, &Form3::Option2, &Form3::Option3, &Form3::Option4,
                                              &Form3::Option5, &Form3::Option6, &Form3::Option9, &Form3::Option10};

void apply(Set s, Control& c)
{
    if (s != Set::Unchanged)
        c.setEnabled(s == Set::Enabled);
}

} // namespace

Form3::Form3(WindowSet& set)
    : Form("Form3", {"Add Word/Phrase", FrameStyle::FixedSingle, 5115, 5820, Placement::Fixed, 4680, 4275, true}),
      set_(set)
{
    own(Label1).setTabIndex(0);
    own(Text1).setTabIndex(1);
    Text1.setToolTipText("The sound to recognise. Type a word in here, or, to get the program to recognise letter (eg, "
                         "ICQ), type in one letter at a time with a space in between (eg, i c q)");
    own(Frame1).setCaption("Sytem Commands");
    Frame1.setTabIndex(10);
    own(Option2, "Frame1").setTabIndex(11);
    own(Option5, "Frame1").setTabIndex(12);
    own(Option6, "Frame1").setTabIndex(13);
    own(Frame2).setTabIndex(14);
    own(Option7, "Frame2").setTabIndex(16);
    own(Option8, "Frame2").setTabIndex(17);
    own(Combo1, "Frame2").setTabIndex(15);
    own(Label3).setTabIndex(6);
    own(Option1).setTabIndex(7);
    own(Option3).setTabIndex(8);
    own(Option4).setTabIndex(9);
    own(Option9).setTabIndex(18);
    own(Option10).setTabIndex(19);
    own(Text3).setTabIndex(2);
    Text3.setToolTipText("Locate the executable");
    own(Command3).setTabIndex(5);
    own(Command1).setTabIndex(3);
    own(Command2).setTabIndex(4);

    for (const auto& row : kOptionRows) {
        OptionButton& b = this->*row.button;
        b.setCaption(row.caption);
        b.Click = [this, &b] { OptionClick(b); };
    }
    groupOptionButtons();
    Command1.Click = [this] { Command1_Click(); };
    Command2.Click = [this] { Command2_Click(); };
    Command3.Click = [this] { Command3_Click(); };
    auto refused = [this](const std::string& why) { refuse(why); };
    Text1.Rejected = refused;
    Text3.Rejected = refused;
    QueryClose = [this] { Command2_Click(); };
}

void Form3::Form_Load()
{
    for (const auto& c : kPlayerCommands) {
        Combo1.AddItem(std::string(c.text));
        Combo1.setItemData(Combo1.ListCount() - 1, c.code);
    }
    Combo1.setListIndex(0);
    Label1.setCaption("Word/Phrase:");
    Label3.setCaption("Command:");
    Command1.setCaption("Save");
    Command2.setCaption("Close");
    Command3.setCaption("Browse");
    Text1.setText("");
    Text3.setText("");
    set_.services.desktop.makeTopmost(hWnd);
}

void Form3::OptionClick(OptionButton& option)
{
    for (const auto& row : kOptionRows) {
        if (&(this->*row.button) != &option)
            continue;
        apply(row.textAndBrowse, Text3);
        apply(row.textAndBrowse, Command3);
        apply(row.combo, Combo1);
        for (auto member : kKindButtons)
            apply(row.others, this->*member);
        if (row.kind)
            selectedKind_ = row.kind;
        return;
    }
}

void Form3::refuse(const std::string& why) { set_.services.desktop.messageBox(why); }

void Form3::Command1_Click()
{
    VocabularyContext v = set_.vocabulary();
    // The entry is added to what the files hold now, not to an older read.
    RereadIfChangedOnDisk(v, false);
    // While the player list is enabled, a player command in it wins.
    std::string kind = selectedKind_;
    if (Combo1.Enabled()) {
        if (PlayerCommandCode(Combo1.Text()))
            kind = Combo1.Text();
    }
    const std::string phrase = Text1.Text();
    const std::string target = Text3.Text().empty() ? std::string("String holder") : Text3.Text();

    // Each entry must have a phrase, a target and a kind, all on one line:
    // an empty or multi-line item would shift the store files out of line.
    if (phrase.empty())
        return refuse("Type the word or phrase to recognise before saving.");
    if (kind.empty())
        return refuse("Choose a command before saving.");
    if ((phrase + target).find_first_of("\r\n") != std::string::npos)
        return refuse("A word, phrase or target cannot hold a line break.");
    Form1& f1 = set_.form1();
    if (f1.List1.ListCount() >= ListBox::kMaxItems)
        return refuse("The word list is full: it holds at most 32,767 entries.");

    selectedKind_ = kind;
    CommandTable table = f1.table();
    table.append(phrase, target, kind);
    Form2& f2 = set_.form2();
    f2.List1.AddItem(phrase);
    f2.List2.AddItem(kind);

    const bool saved = SaveTableOrReport(v, "The entry could not be saved to");
    EmptySixLists(v);
    ReloadVocabularyOrReport(v);
    // After a failed save the typed entry stays in the boxes to try again.
    if (saved) {
        Text1.setText("");
        Text3.setText("");
    }
}

void Form3::Command2_Click() { set_.unloadForm3(); }

void Form3::Command3_Click()
{
    if (auto file = set_.services.desktop.openFileDialog(hWnd))
        Text3.setText(*file);
}

} // namespace qm
