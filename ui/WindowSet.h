#pragma once
// The four windows, each existing at most once and created on first use, and
// the services they share.
#include "Backends.h"
#include "CommandDispatch.h"
#include "DesktopServices.h"
#include "FrontEnd.h"
#include "ListeningState.h"
#include "Recognizer.h"
#include "StoreFiles.h"
#include "Vocabulary.h"

#include <memory>

namespace qm {

class Form1;
class Form2;
class Form3;
class Form4;

struct Services {
    DesktopServices& desktop;
    FrontEnd& frontEnd;
    Recognizer& DirectSR1;
    PlayerBackend& player;
    SessionBackend& session;
};

class WindowSet : public WindowSetHost {
public:
    explicit WindowSet(Services services);
    ~WindowSet() override;

    Services services;
    StorePaths paths;
    // Whether the recognizer listens, shown by the tray icon.
    ListeningState listening;

    // Runs the start-up: the main window's load, the tray icon, the main
    // window shown, and a notice when the desktop has no notification area.
    // False when the store cannot be set up; the program ends.
    bool start();

    Form1& form1() { return *form1_; }
    Form2& form2();
    Form3& form3();
    Form4& form4();
    bool form2Loaded() const { return form2_ != nullptr; }
    bool form3Loaded() const { return form3_ != nullptr; }
    bool form4Loaded() const { return form4_ != nullptr; }
    void unloadForm3();
    void unloadForm4();

    // Hide from the menus: all four windows. With no tray icon to come back
    // by, the main window is minimised instead of hidden.
    void hideAll();
    // Ends the program: the tray icon goes, then the event loop.
    void end();

    // The vocabulary reload's view of the lists and recognizer.
    VocabularyContext vocabulary();
    DispatchContext dispatch();

    // WindowSetHost, for the spoken "Hide" and "Show".
    void hideForVoice() override;
    void showMainWindow() override;
    NativeHandle mainWindowHandle() override;

    bool trayShown() const { return trayShown_; }

private:
    template <typename F>
    F& loaded(std::unique_ptr<F>& slot);
    template <typename F>
    void unload(std::unique_ptr<F>& slot);

    std::unique_ptr<Form1> form1_;
    std::unique_ptr<Form2> form2_;
    std::unique_ptr<Form3> form3_;
    std::unique_ptr<Form4> form4_;
    // Forms unloaded from inside their own handlers live until the next unload
    // or the end, so the handler that unloaded them can return safely.
    std::vector<std::unique_ptr<Form>> unloaded_;
    void hideMainWindow();

    bool trayShown_ = false;
};

} // namespace qm
