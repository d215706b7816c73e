#pragma once
// A menu model as a native menu: the form's menu bar or a pop-up menu, built
// from code. Each item gets an id from the front end; WM_COMMAND with that id
// clicks the item's model.
#include "Controls.h"

#include <windows.h>

#include <functional>
#include <map>
#include <vector>

namespace qm::win32 {

class MenuIds {
public:
    int add(Menu& item);
    void remove(int id);
    // The item of that id, or nullptr.
    Menu* find(int id) const;

private:
    std::map<int, Menu*> items_;
    int next_ = 0;
};

class MenuBinding {
public:
    enum class Kind { Bar, Popup };

    // changed runs after the native menu changed, so a bar can be redrawn.
    MenuBinding(Menu& root, Kind kind, MenuIds& ids, std::function<void()> changed = {});
    ~MenuBinding();
    MenuBinding(const MenuBinding&) = delete;
    MenuBinding& operator=(const MenuBinding&) = delete;

    HMENU handle() const { return handle_; }
    // Stops following the models; the native menu stays until destroyed.
    void detach();
    // Gives up the native menu to the window that owns it: a window destroys
    // its menu bar along with itself.
    HMENU release();

private:
    // Where an item sits in the native menus: its menu, its position there,
    // and its command id (0 for a sub-menu). Hidden items have no place.
    struct Place {
        HMENU menu = nullptr;
        UINT position = 0;
        int id = 0;
    };

    void build();
    void fillInto(HMENU into, Menu& menu);
    void follow(Menu& item);
    void changed(Menu& item, Change change);
    void rebuild();

    Menu* root_;
    Kind kind_;
    MenuIds& ids_;
    std::function<void()> changed_;
    HMENU handle_ = nullptr;
    std::map<Menu*, Place> places_;
    std::vector<Menu*> followed_;
};

} // namespace qm::win32
