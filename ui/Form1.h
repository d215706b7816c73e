#pragma once
// The main window: the Command table's three lists, the recognition
// indicator, the Exit button, the menu bar and the tray pop-up menu.
#include "CommandTable.h"
#include "Form.h"
#include "Recognizer.h"

#include <memory>

namespace qm {

class WindowSet;

inline constexpr const char* kTrayTip = "Quillmere Voice Vuredizara";

class Form1 : public Form {
public:
    explicit Form1(WindowSet& set);

    Label wordph{"wordph", {120, 0, 1935, 255}};
    Label Label3{"Label3", {3240, 0, 1935, 255}};
    Label Label5{"Label5", {4920, 0, 1815, 255}};
    ListBox List1{"List1", {0, 240, 3135, 1230}};
    ListBox List3{"List3", {3360, 240, 1455, 1230}};
    ListBox List2{"List2", {4920, 240, 4815, 1230}};
    Image Image1{"Image1", {120, 1440, 630, 510}, "indicator"};
    CommandButton Command5{"Command5", {8400, 1680, 1335, 315}};

    // The recognizer the window listens with. The window has room for a
    // second one, DirectSR2, which nothing creates or calls: a second live
    // engine would only hold the microphone and memory twice.
    Recognizer& DirectSR1;
    std::unique_ptr<Recognizer> DirectSR2;

    // The menu bar (File, Help) and, apart, the tray pop-up menu.
    Menu menuBar{"menuBar", ""};
    Menu mnu_popup{"mnu_popup", "popup"};

    CommandTable table() { return {List1, List2, List3}; }

    // Start-up steps that run before the window is first shown. False when
    // the store folder cannot be set up.
    bool Form_Load();
    // Closing from the frame: save, then end.
    void Form_Unload();

    void Command5_Click();
    void mnu_addnewword_Click();
    void mnu_wordlist_Click();
    void mnu_hide_Click();
    void mnu_disable_Click();
    void mnu_exit_Click();
    void mnu_about_Click();
    void mnu_hide1_Click();
    void mnu_show1_Click();
    void mnu_disable1_Click();
    void mnu_enable_Click();
    void mnu_about1_Click();

    // The tray icon's own mouse events, decoded by the front end.
    void Tray_RightButtonUp();
    void Tray_LeftDoubleClick();

    void DirectSR1_PhraseStart(int32_t, int32_t);
    void DirectSR1_PhraseFinish(int32_t, int32_t, int32_t, int32_t, int32_t, const std::string& phrase,
                                const std::string&, int32_t);

private:
    WindowSet& set_;
};

} // namespace qm
