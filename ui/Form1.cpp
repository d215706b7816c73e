#include "Form1.h"

#include "Form2.h"
#include "Form3.h"
#include "Form4.h"
#include "WindowSet.h"

namespace qm {

Form1::Form1(WindowSet& set)
    : Form("Form1", {"Quillmere Voice Vuredizara Program", FrameStyle::FixedSingleMinimize, 9825, 2055,
                     Placement::CenterScreen, 0, 0, true}),
      DirectSR1(set.services.DirectSR1),
      set_(set)
{
    own(wordph).setCaption("Word/Phrase");
    own(Label3).setCaption("Command");
    own(Label5).setCaption("File\\Message");
    own(List1).setTabIndex(0);
    own(List2).setTabIndex(1);
    own(List3).setTabIndex(2);
    own(Image1).setVisible(false);
    own(Command5).setCaption("Exit");
    Command5.setTabIndex(3);

    Menu& file = menuBar.add("mnu_file", "File");
    file.add("mnu_addnewword", "Add New Word/Phrase").Click = [this] { mnu_addnewword_Click(); };
    file.add("mnu_wordlist", "Edit Word List").Click = [this] { mnu_wordlist_Click(); };
    file.add("mnu_hide", "Hide").Click = [this] { mnu_hide_Click(); };
    file.add("mnu_disable", "Disable Quillmere Voice Vuredizara Program").Click = [this] { mnu_disable_Click(); };
    file.add("mnu_exit", "Exit").Click = [this] { mnu_exit_Click(); };
    Menu& help = menuBar.add("mnu_help", "Help");
    help.add("mnu_about", "About").Click = [this] { mnu_about_Click(); };

    mnu_popup.add("mnu_hide1", "Hide").Click = [this] { mnu_hide1_Click(); };
    mnu_popup.add("mnu_show1", "Show").Click = [this] { mnu_show1_Click(); };
    mnu_popup.add("mnu_disable1", "Disable").Click = [this] { mnu_disable1_Click(); };
    mnu_popup.add("mnu_enable", "Enable").Click = [this] { mnu_enable_Click(); };
    mnu_popup.add("mnu_about1", "About").Click = [this] { mnu_about1_Click(); };

    Command5.Click = [this] { Command5_Click(); };
    QueryClose = [this] { Form_Unload(); };
}

bool Form1::Form_Load()
{
    DesktopServices& desktop = set_.services.desktop;
    try {
        set_.paths = EnsureStoreFiles(desktop.storeDirectory());
    } catch (const std::exception& e) {
        desktop.messageBox("The word list cannot be kept: " + std::string(e.what()));
        return false;
    }
    VocabularyContext v = set_.vocabulary();
    ReloadVocabularyOrReport(v);
    set_.form3();
    desktop.makeTopmost(hWnd);
    return true;
}

void Form1::Form_Unload()
{
    VocabularyContext v = set_.vocabulary();
    // A hand edit since the last read is taken in rather than saved over.
    RereadIfChangedOnDisk(v, false);
    SaveTableOrReport(v, "The word list could not be saved to");
    set_.end();
}

void Form1::Command5_Click() { set_.end(); }
void Form1::mnu_exit_Click() { set_.end(); }
void Form1::mnu_addnewword_Click() { set_.form3().Show(); }
void Form1::mnu_wordlist_Click() { set_.form2().Show(); }
void Form1::mnu_hide_Click() { set_.hideAll(); }
void Form1::mnu_hide1_Click() { set_.hideAll(); }
void Form1::mnu_show1_Click() { Show(); }
void Form1::mnu_about_Click() { set_.form4().Show(); }
void Form1::mnu_about1_Click() { set_.form4().Show(); }

// The File menu's Disable does what its name says, like the tray's.
void Form1::mnu_disable_Click() { mnu_disable1_Click(); }

void Form1::mnu_disable1_Click()
{
    VocabularyContext v = set_.vocabulary();
    DisableCommand(v);
}

void Form1::mnu_enable_Click()
{
    VocabularyContext v = set_.vocabulary();
    EnableCommand(v);
}

void Form1::Tray_RightButtonUp() { set_.services.frontEnd.popupMenu(mnu_popup); }
void Form1::Tray_LeftDoubleClick() { set_.services.desktop.messageBox("Dbl Click in the systray needs event"); }

void Form1::DirectSR1_PhraseStart(int32_t, int32_t) { Image1.setVisible(true); }

void Form1::DirectSR1_PhraseFinish(int32_t a1, int32_t a2, int32_t a3, int32_t a4, int32_t a5, const std::string& phrase,
                                   const std::string& a7, int32_t a8)
{
    DispatchContext d = set_.dispatch();
    qm::DirectSR1_PhraseFinish(d, a1, a2, a3, a4, a5, phrase, a7, a8);
}

} // namespace qm
