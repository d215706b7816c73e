#include "ListBox.h"

namespace qm {

namespace {
const std::string kEmpty;
}

const std::string& ListBox::List(int index) const
{
    if (index < 0 || index >= ListCount())
        return kEmpty;
    return items_[static_cast<size_t>(index)];
}

void ListBox::AddItem(std::string text)
{
    if (ListCount() >= kMaxItems)
        throw ControlError(Name() + " is full: a list holds at most 32,767 items");
    items_.push_back(std::move(text));
    notify(Change::ItemAdded, ListCount() - 1);
}

void ListBox::RemoveItem(int index)
{
    if (index < 0 || index >= ListCount())
        throw ControlError(Name() + " has no item " + std::to_string(index));
    items_.erase(items_.begin() + index);
    if (selected_ == index)
        selected_ = -1;
    else if (selected_ > index)
        --selected_;
    notify(Change::ItemRemoved, index);
}

void ListBox::Clear()
{
    items_.clear();
    selected_ = -1;
    notify(Change::Cleared);
}

void ListBox::setListIndex(int index)
{
    if (index < -1 || index >= ListCount())
        throw ControlError(Name() + " has no item " + std::to_string(index));
    if (index == selected_)
        return;
    selected_ = index;
    notify(Change::Selection, index);
}

const std::string& ListBox::Text() const
{
    return List(selected_);
}

void ListBox::userSelect(int index)
{
    setListIndex(index);
    if (Click)
        Click();
}

void ListBox::userDoubleClick()
{
    if (DblClick)
        DblClick();
}

} // namespace qm
