#include "Controls.h"

namespace qm {

namespace {
const std::string kEmpty;
}

bool TextBox::userSetText(const std::string& text)
{
    if (text.find_first_of("\r\n") != std::string::npos) {
        if (Rejected) {
            std::string why = "A line break cannot be part of ";
            why.append(Name()).append(": each entry is one line of its store file.");
            Rejected(why);
        }
        return false;
    }
    setText(text);
    return true;
}

void OptionButton::userClick()
{
    if (!Enabled())
        return;
    setValue(true);
    if (chosen)
        chosen(*this);
    if (Click)
        Click();
}

const std::string& ComboBox::List(int index) const
{
    if (index < 0 || index >= ListCount())
        return kEmpty;
    return items_[static_cast<size_t>(index)];
}

void ComboBox::AddItem(std::string text)
{
    items_.push_back(std::move(text));
    data_.push_back(0);
    notify(Change::ItemAdded, ListCount() - 1);
}

int32_t ComboBox::ItemData(int index) const
{
    if (index < 0 || index >= ListCount())
        throw ControlError(Name() + " has no item " + std::to_string(index));
    return data_[static_cast<size_t>(index)];
}

void ComboBox::setItemData(int index, int32_t data)
{
    if (index < 0 || index >= ListCount())
        throw ControlError(Name() + " has no item " + std::to_string(index));
    data_[static_cast<size_t>(index)] = data;
}

void ComboBox::Clear()
{
    items_.clear();
    data_.clear();
    selected_ = -1;
    notify(Change::Cleared);
}

void ComboBox::setListIndex(int index)
{
    if (index < -1 || index >= ListCount())
        throw ControlError(Name() + " has no item " + std::to_string(index));
    selected_ = index;
    notify(Change::Selection, index);
    if (index >= 0)
        setText(items_[static_cast<size_t>(index)]);
}

void ComboBox::setText(std::string text)
{
    if (text == text_)
        return;
    text_ = std::move(text);
    // Typing a text that is not the selected item's leaves no item selected.
    if (selected_ >= 0 && items_[static_cast<size_t>(selected_)] != text_)
        selected_ = -1;
    notify(Change::Text);
}

Menu& Menu::add(std::string name, std::string caption)
{
    items_.push_back(std::make_unique<Menu>(std::move(name), std::move(caption)));
    notify(Change::ItemAdded, static_cast<int>(items_.size()) - 1);
    return *items_.back();
}

Menu* Menu::find(const std::string& name)
{
    for (auto& item : items_) {
        if (item->Name() == name)
            return item.get();
        if (Menu* m = item->find(name))
            return m;
    }
    return nullptr;
}

} // namespace qm
