#pragma once
// A front end with no windows: forms get made-up handles, and the pop-up
// menu, the tray and the end are recorded.
#include "FrontEnd.h"

#include <string>
#include <vector>

namespace qm {

class FakeFrontEnd : public FrontEnd {
public:
    void bind(Form& form) override
    {
        form.hWnd = ++lastHandle;
        bound.push_back(form.Name());
    }
    void unbind(Form& form) override
    {
        unbound.push_back(form.Name());
        form.hWnd = 0;
    }
    void popupMenu(Menu& menu) override { popups.push_back(menu.Name()); }
    bool addTrayIcon(const std::string& tip) override
    {
        trayTip = tip;
        trayShown = hasTray;
        return hasTray;
    }
    void removeTrayIcon() override { trayShown = false; }
    void setTrayListening(bool listening) override { trayListening.push_back(listening); }
    void minimize(Form& form) override { minimized.push_back(form.Name()); }
    void quit() override { ++quits; }

    bool hasTray = true;
    bool trayShown = false;
    std::string trayTip;
    std::vector<std::string> bound, unbound, popups, minimized;
    std::vector<bool> trayListening; // every change of the icon's colour
    int quits = 0;
    NativeHandle lastHandle = 100;
};

} // namespace qm
