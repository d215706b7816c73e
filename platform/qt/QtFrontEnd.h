#pragma once
// The Qt front end: one native widget per control model, kept in step with
// the model through its observer, and user input handed back to the model,
// which raises the form's handler.
#include "FrontEnd.h"

#include <QIcon>
#include <QPointer>

#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

class QAction;
class QMenu;
class QObject;
class QSystemTrayIcon;
class QWidget;

namespace qm {

class Form1;

// Twips to pixels at a density in dots per inch: 15 twips a pixel at 96 DPI.
int TwipsToPixels(int twips, double dotsPerInch);

// The resource path of a picture asset ("indicator", "about"), empty if unknown.
QString AssetPath(const std::string& asset);
// The program's icon, all eight images of quillmere.ico.
QIcon ProgramIcon();
// The same icon in shades of grey, alpha kept: the tray's "not listening".
QIcon GreyIcon(const QIcon& icon);

// Moves a window, frame and all, onto the work area of its screen.
void KeepOnWorkArea(QWidget& window);

class QtFrontEnd : public FrontEnd {
public:
    QtFrontEnd();
    ~QtFrontEnd() override;
    QtFrontEnd(const QtFrontEnd&) = delete;
    QtFrontEnd& operator=(const QtFrontEnd&) = delete;

    void bind(Form& form) override;
    void unbind(Form& form) override;
    void popupMenu(Menu& menu) override;
    bool addTrayIcon(const std::string& tip) override;
    void removeTrayIcon() override;
    void setTrayListening(bool listening) override;
    void minimize(Form& form) override;
    void quit() override;

    // The native side, for the program's own start-up code and for tests.
    QWidget* window(const Form& form) const;
    // The widget that shows a control (for a form, its client area).
    QWidget* widget(const Control& control) const;
    // The action of a menu item, on the menu bar or in a pop-up menu once shown.
    QAction* action(const Menu& item) const;
    QSystemTrayIcon* trayIcon() const { return tray_; }
    // Density used for twips: the primary screen's logical DPI. A window too
    // large for its screen at that density uses a lower one.
    double dpiX() const { return dpiX_; }
    double dpiY() const { return dpiY_; }

    // Called when a handler run by user input fails with nothing to catch it;
    // by default it says so on stderr and ends the event loop with status 1.
    std::function<void(const std::string& what)> failed;

private:
    struct Window;
    void bindControl(Window& w, Control& c, QWidget* parent);
    void bindMenu(std::vector<Control*>& observed, Menu& menu, QMenu* into);
    QMenu* popupFor(Menu& menu);
    void trayActivated(int reason);
    void place(Window& w);
    static QRect pixels(const Window& w, const Twips& t);

    double dpiX_ = 96, dpiY_ = 96;
    QIcon icon_;
    bool trayListening_ = true;
    std::map<const Form*, std::unique_ptr<Window>> windows_;
    std::map<const Control*, QWidget*> widgets_;
    std::map<const Menu*, QAction*> actions_;
    std::map<const Menu*, QMenu*> popups_;
    std::vector<Control*> looseMenus_;    // pop-up menus shown with no main window bound
    std::vector<QPointer<QWidget>> dying_; // unbound, waiting for their deferred deletion
    Form1* main_ = nullptr;                // the tray icon's events go to the main window
    QSystemTrayIcon* tray_ = nullptr;
    QObject* trayWatch_ = nullptr;
};

} // namespace qm
