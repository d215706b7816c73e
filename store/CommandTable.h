#pragma once
// The Command table is the main window's three lists, entry i being item i of
// each. It has no storage of its own: this is a view that names the roles.
#include "ListBox.h"

#include <string>

namespace qm {

struct CommandTable {
    ListBox& List1; // phrases
    ListBox& List2; // targets
    ListBox& List3; // command kinds

    int count() const { return List1.ListCount(); }
    const std::string& phrase(int i) const { return List1.List(i); }
    const std::string& target(int i) const { return List2.List(i); }
    const std::string& kind(int i) const { return List3.List(i); }

    void append(std::string phrase, std::string target, std::string kind)
    {
        List1.AddItem(std::move(phrase));
        List2.AddItem(std::move(target));
        List3.AddItem(std::move(kind));
    }
    void clear()
    {
        List1.Clear();
        List2.Clear();
        List3.Clear();
    }
};

// The word list window's display copy: phrases, kinds, targets (in that column order).
struct DisplayCopy {
    ListBox& List1; // phrases
    ListBox& List2; // command kinds
    ListBox& List3; // targets
};

} // namespace qm
