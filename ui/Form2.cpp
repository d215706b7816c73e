#include "Form2.h"

#include "Form1.h"
#include "WindowSet.h"

namespace qm {

Form2::Form2(WindowSet& set)
    : Form("Form2", {"Words/Phrases List", FrameStyle::FixedSingle, 8745, 2745, Placement::Fixed, 3015, 2730, true}),
      set_(set)
{
    own(Label1);
    own(Label4).setCaption("Command");
    own(Label3);
    own(List1).setToolTipText("The sound recognised");
    own(List2).setToolTipText("The description of the executable");
    own(List3).setToolTipText("Filename of executable. Double click to see full directory");
    own(Command2).setCaption("Remove");
    own(Command1);
    List1.Click = [this] { List1_Click(); };
    List2.Click = [this] { List2_Click(); };
    List3.Click = [this] { List3_Click(); };
    List1.DblClick = List2.DblClick = List3.DblClick = [this] { List_DblClick(); };
    Command2.Click = [this] { Command2_Click(); };
    Command1.Click = [this] { Command1_Click(); };
    // The close box hides the window like "Close", keeping its columns.
    QueryClose = [this] { Command1_Click(); };
}

void Form2::Form_Load()
{
    Label1.setCaption("Word/Phrase");
    Label3.setCaption("File/Message");
    Command1.setCaption("Close");
    Command2.setCaption("Delete");
    set_.services.desktop.makeTopmost(hWnd);
}

// A partner without that row ends the mirroring of this click.
void Form2::mirror(ListBox& from, ListBox& first, ListBox& second)
{
    const int row = from.ListIndex();
    for (ListBox* partner : {&first, &second}) {
        if (row >= partner->ListCount())
            return;
        if (partner->ListIndex() != row)
            partner->setListIndex(row);
    }
}

void Form2::List1_Click() { mirror(List1, List2, List3); }
void Form2::List2_Click() { mirror(List2, List1, List3); }
void Form2::List3_Click() { mirror(List3, List1, List2); }

void Form2::List_DblClick()
{
    set_.services.desktop.messageBox(set_.form1().List2.List(List3.ListIndex()));
}

void Form2::Command2_Click()
{
    VocabularyContext v = set_.vocabulary();
    // The row picked belongs to the table as it was read; if the files have
    // changed since, the lists are read again and nothing is deleted.
    if (RereadIfChangedOnDisk(v, true)) {
        set_.services.desktop.messageBox(
            "The word list was changed on disk and has been read again. Select the entry to delete once more.");
        return;
    }
    Form1& f1 = set_.form1();
    const int row = List2.ListIndex();
    // Each step stands alone: one that fails is skipped and the next runs.
    for (ListBox* list : {&f1.List1, &f1.List2, &f1.List3}) {
        try {
            if (row >= 0)
                list->RemoveItem(row);
        } catch (const ControlError&) {
        }
    }
    SaveTableOrReport(v, "The word list could not be saved to");
    EmptySixLists(v);
    ReloadVocabularyOrReport(v);
}

void Form2::Command1_Click() { Hide(); }

} // namespace qm
