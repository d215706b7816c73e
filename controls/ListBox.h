#pragma once
// A list box as the program uses it: unsorted items, one selection or none,
// addressed by a 16-bit signed index.
#include "Control.h"

#include <cstdint>
#include <functional>
#include <stdexcept>
#include <string>
#include <vector>

namespace qm {

class ControlError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

class ListBox : public Control {
public:
    static constexpr int kMaxItems = 32767;

    using Control::Control;

    int ListCount() const { return static_cast<int>(items_.size()); }
    // Reading at or past the end yields the empty text, as the store's writer relies on.
    const std::string& List(int index) const;
    void AddItem(std::string text);
    void RemoveItem(int index);
    void Clear();

    // -1 when nothing is selected.
    int ListIndex() const { return selected_; }
    // -1 clears the selection; any other missing item is an error.
    void setListIndex(int index);
    // The selected item's text, or the empty text with no selection.
    const std::string& Text() const;

    const std::vector<std::string>& Items() const { return items_; }

    // Event handlers, raised by user input through the front end.
    std::function<void()> Click;
    std::function<void()> DblClick;
    // Front ends call these when the user selects or double-clicks a row.
    void userSelect(int index);
    void userDoubleClick();

private:
    std::vector<std::string> items_;
    int selected_ = -1;
};

} // namespace qm
