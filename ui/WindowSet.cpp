#include "WindowSet.h"

#include "Form1.h"
#include "Form2.h"
#include "Form3.h"
#include "Form4.h"

namespace qm {

WindowSet::WindowSet(Services s) : services(s), form1_(std::make_unique<Form1>(*this))
{
    listening.changed = [this](ListeningState::State state) {
        services.frontEnd.setTrayListening(state == ListeningState::State::Listening);
    };
    form1_->DirectSR1.setEvents({
        [this](int32_t a, int32_t b) { form1_->DirectSR1_PhraseStart(a, b); },
        [this](int32_t a1, int32_t a2, int32_t a3, int32_t a4, int32_t a5, const std::string& p, const std::string& a7,
               int32_t a8) { form1_->DirectSR1_PhraseFinish(a1, a2, a3, a4, a5, p, a7, a8); },
    });
}

WindowSet::~WindowSet()
{
    services.DirectSR1.setEvents({});
}

bool WindowSet::start()
{
    services.frontEnd.bind(*form1_);
    if (!form1_->Form_Load())
        return false;
    trayShown_ = services.frontEnd.addTrayIcon(kTrayTip);
    form1_->Show();
    if (!trayShown_)
        services.desktop.messageBox(
            "This desktop has no notification area, so Quillmere Voice Command shows no tray icon.\r\n\r\n"
            "Hide minimises the main window instead; it stays on the task bar.");
    return true;
}

// Creates a window on first use: its native window first, then its load steps.
template <typename F>
F& WindowSet::loaded(std::unique_ptr<F>& slot)
{
    if (!slot) {
        // A form unloaded earlier has returned from its handler by now.
        unloaded_.clear();
        slot = std::make_unique<F>(*this);
        services.frontEnd.bind(*slot);
        slot->Form_Load();
    }
    return *slot;
}

// Hides and drops a window; the next use loads a fresh one.
template <typename F>
void WindowSet::unload(std::unique_ptr<F>& slot)
{
    if (!slot)
        return;
    slot->Hide();
    services.frontEnd.unbind(*slot);
    unloaded_.push_back(std::move(slot));
}

Form2& WindowSet::form2() { return loaded(form2_); }
Form3& WindowSet::form3() { return loaded(form3_); }
Form4& WindowSet::form4() { return loaded(form4_); }
void WindowSet::unloadForm3() { unload(form3_); }
void WindowSet::unloadForm4() { unload(form4_); }

// A hidden main window comes back only through the tray icon's menu.
void WindowSet::hideMainWindow()
{
    if (trayShown_)
        form1_->Hide();
    else
        services.frontEnd.minimize(*form1_);
}

void WindowSet::hideAll()
{
    hideMainWindow();
    form2().Hide();
    form3().Hide();
    form4().Hide();
}

void WindowSet::hideForVoice()
{
    hideMainWindow();
    form2().Hide();
    form3().Hide();
}

void WindowSet::showMainWindow() { form1_->Show(); }
NativeHandle WindowSet::mainWindowHandle() { return form1_->hWnd; }

void WindowSet::end()
{
    if (trayShown_) {
        services.frontEnd.removeTrayIcon();
        trayShown_ = false;
    }
    services.frontEnd.quit();
}

VocabularyContext WindowSet::vocabulary()
{
    return VocabularyContext{form1_->DirectSR1, paths, form1_->table(),
                             [this] {
                                 Form2& f = form2();
                                 return DisplayCopy{f.List1, f.List2, f.List3};
                             },
                             services.desktop, &listening};
}

DispatchContext WindowSet::dispatch()
{
    return DispatchContext{form1_->table(), form1_->Image1, *this, services.desktop, services.player, services.session};
}

} // namespace qm
