#include "WindowSet.h"

#include "Form1.h"
#include "Form2.h"
#include "Form3.h"
#include "Form4.h"

namespace qm {

WindowSet::WindowSet(Services s) : services(s), form1_(std::make_unique<Form1>(*this))
{
    services.DirectSR1.setEvents({
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
    return true;
}

Form2& WindowSet::form2()
{
    if (!form2_) {
        form2_ = std::make_unique<Form2>(*this);
        services.frontEnd.bind(*form2_);
        form2_->Form_Load();
    }
    return *form2_;
}

Form3& WindowSet::form3()
{
    if (!form3_) {
        unloaded_.clear();
        form3_ = std::make_unique<Form3>(*this);
        services.frontEnd.bind(*form3_);
        form3_->Form_Load();
    }
    return *form3_;
}

Form4& WindowSet::form4()
{
    if (!form4_) {
        unloaded_.clear();
        form4_ = std::make_unique<Form4>(*this);
        services.frontEnd.bind(*form4_);
        form4_->Form_Load();
    }
    return *form4_;
}

void WindowSet::unloadForm3()
{
    if (!form3_)
        return;
    form3_->Hide();
    services.frontEnd.unbind(*form3_);
    unloaded_.push_back(std::move(form3_));
}

void WindowSet::unloadForm4()
{
    if (!form4_)
        return;
    form4_->Hide();
    services.frontEnd.unbind(*form4_);
    unloaded_.push_back(std::move(form4_));
}

void WindowSet::hideAll()
{
    form1_->Hide();
    form2().Hide();
    form3().Hide();
    form4().Hide();
}

void WindowSet::hideForVoice()
{
    form1_->Hide();
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
    return VocabularyContext{services.DirectSR1, paths, form1_->table(),
                             [this] {
                                 Form2& f = form2();
                                 return DisplayCopy{f.List1, f.List2, f.List3};
                             },
                             services.desktop};
}

DispatchContext WindowSet::dispatch()
{
    return DispatchContext{form1_->table(), form1_->Image1, *this, services.desktop, services.player, services.session};
}

} // namespace qm
