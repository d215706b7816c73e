#pragma once
// The simple control models: labels, buttons, text boxes, option buttons,
// frames, the editable drop-down list and menus.
#include "Control.h"
#include "ListBox.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace qm {

class Label : public Control {
public:
    using Control::Control;
};

class Frame : public Control {
public:
    using Control::Control;
};

class CommandButton : public Control {
public:
    using Control::Control;
    std::function<void()> Click;
    void userClick() { if (Enabled() && Click) Click(); }
};

class TextBox : public Control {
public:
    using Control::Control;
    const std::string& Text() const { return text_; }
    void setText(const std::string& text) { if (text != text_) { text_ = text; notify(Change::Text); } }

    // The boxes are single-line: typed or pasted text holding a line break is
    // refused whole, and Rejected says why.
    bool userSetText(const std::string& text);
    std::function<void(const std::string& reason)> Rejected;

private:
    std::string text_;
};

// An option button clears the other option buttons of its own container only.
class OptionButton : public Control {
public:
    OptionButton(std::string name, Twips geometry, std::string container)
        : Control(std::move(name), geometry), container_(std::move(container)) {}
    const std::string& Container() const { return container_; }
    bool Value() const { return value_; }
    void setValue(bool on) { if (on != value_) { value_ = on; notify(Change::Checked); } }
    std::function<void()> Click;
    // Set by the form, so a choice clears its container's other buttons.
    std::function<void(OptionButton&)> chosen;
    void userClick();

private:
    std::string container_;
    bool value_ = false;
};

// An editable drop-down list: a text of its own plus items with item data.
class ComboBox : public Control {
public:
    using Control::Control;
    int ListCount() const { return static_cast<int>(items_.size()); }
    const std::string& List(int index) const;
    void AddItem(std::string text);
    int32_t ItemData(int index) const;
    void setItemData(int index, int32_t data);
    void Clear();
    int ListIndex() const { return selected_; }
    void setListIndex(int index);
    const std::string& Text() const { return text_; }
    void setText(std::string text);
    const std::vector<std::string>& Items() const { return items_; }

    // The user typed into the box or picked an item.
    void userSetText(std::string text) { if (Enabled()) setText(std::move(text)); }
    void userSelect(int index) { if (Enabled()) setListIndex(index); }

private:
    std::vector<std::string> items_;
    std::vector<int32_t> data_;
    int selected_ = -1;
    std::string text_;
};

class Menu : public Control {
public:
    Menu(std::string name, std::string caption) : Control(std::move(name)) { setCaption(std::move(caption)); }
    Menu& add(std::string name, std::string caption);
    const std::vector<std::unique_ptr<Menu>>& Items() const { return items_; }
    std::function<void()> Click;
    void userClick() { if (Enabled() && Click) Click(); }
    // The item of this menu or a submenu with that name; nullptr if none.
    Menu* find(const std::string& name);

private:
    std::vector<std::unique_ptr<Menu>> items_;
};

} // namespace qm
