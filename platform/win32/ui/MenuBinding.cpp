#include "MenuBinding.h"

#include "PrivateMessages.h"

namespace qm::win32 {

int MenuIds::add(Menu& item)
{
    const int id = kFirstMenuId + next_++;
    items_[id] = &item;
    return id;
}

void MenuIds::remove(int id) { items_.erase(id); }

Menu* MenuIds::find(int id) const
{
    auto it = items_.find(id);
    return it == items_.end() ? nullptr : it->second;
}

MenuBinding::MenuBinding(Menu& root, Kind kind, MenuIds& ids, std::function<void()> changed)
    : root_(&root), kind_(kind), ids_(ids), changed_(std::move(changed))
{
    build();
}

MenuBinding::~MenuBinding()
{
    detach();
    if (handle_)
        DestroyMenu(handle_);
}

void MenuBinding::build()
{
    handle_ = kind_ == Kind::Bar ? CreateMenu() : CreatePopupMenu();
    fillInto(handle_, *root_);
}

void MenuBinding::fillInto(HMENU into, Menu& menu)
{
    UINT position = 0;
    for (const auto& owned : menu.Items()) {
        Menu& item = *owned;
        follow(item);
        // A hidden item has no place in a native menu; showing it rebuilds.
        if (!item.Visible())
            continue;
        const UINT state = item.Enabled() ? MF_ENABLED : MF_GRAYED;
        Place place{into, position++, 0};
        if (!item.Items().empty()) {
            HMENU sub = CreatePopupMenu();
            fillInto(sub, item);
            AppendMenuA(into, MF_POPUP | MF_STRING | state, reinterpret_cast<UINT_PTR>(sub), item.Caption().c_str());
        } else {
            place.id = ids_.add(item);
            AppendMenuA(into, MF_STRING | state, static_cast<UINT_PTR>(place.id), item.Caption().c_str());
        }
        places_[&item] = place;
    }
}

void MenuBinding::follow(Menu& item)
{
    followed_.push_back(&item);
    item.setObserver([this, &item](Change c, int) { changed(item, c); });
}

void MenuBinding::changed(Menu& item, Change change)
{
    auto it = places_.find(&item);
    if (change == Change::Visible || change == Change::ItemAdded || it == places_.end()) {
        rebuild();
        return;
    }
    const Place& at = it->second;
    if (change == Change::Caption) {
        MENUITEMINFOA info{};
        info.cbSize = sizeof info;
        info.fMask = MIIM_STRING;
        info.dwTypeData = const_cast<char*>(item.Caption().c_str());
        SetMenuItemInfoA(at.menu, at.position, TRUE, &info);
    } else if (change == Change::Enabled) {
        EnableMenuItem(at.menu, at.position, MF_BYPOSITION | (item.Enabled() ? MF_ENABLED : MF_GRAYED));
    } else {
        return;
    }
    if (changed_)
        changed_();
}

// The owner switches to the new menu in changed_, then the old one goes.
void MenuBinding::rebuild()
{
    detach();
    HMENU old = handle_;
    build();
    if (changed_)
        changed_();
    if (old)
        DestroyMenu(old);
}

void MenuBinding::detach()
{
    for (Menu* item : followed_)
        item->setObserver({});
    for (auto& [item, place] : places_)
        if (place.id)
            ids_.remove(place.id);
    followed_.clear();
    places_.clear();
}

HMENU MenuBinding::release()
{
    HMENU h = handle_;
    handle_ = nullptr;
    return h;
}

} // namespace qm::win32
