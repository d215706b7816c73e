#pragma once
// The word list window: the table in three columns with mirrored selection,
// the full target on double-click, and Delete.
#include "Form.h"

namespace qm {

class WindowSet;

class Form2 : public Form {
public:
    explicit Form2(WindowSet& set);

    Label Label1{"Label1", {120, 0, 1455, 255}};
    Label Label4{"Label4", {2760, 0, 855, 255}};
    Label Label3{"Label3", {3600, 0, 1455, 255}};
    ListBox List1{"List1", {120, 240, 2535, 1815}};
    ListBox List2{"List2", {2760, 240, 1215, 1815}};
    ListBox List3{"List3", {4080, 240, 4455, 1815}};
    CommandButton Command2{"Command2", {120, 2280, 1215, 375}};
    CommandButton Command1{"Command1", {1560, 2280, 1215, 375}};

    void Form_Load();
    void List1_Click();
    void List2_Click();
    void List3_Click();
    void List_DblClick();
    void Command2_Click(); // Delete
    void Command1_Click(); // Close

private:
    void mirror(ListBox& from, ListBox& first, ListBox& second);
    WindowSet& set_;
};

} // namespace qm
