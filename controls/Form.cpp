#include "Form.h"

namespace qm {

Form::Form(std::string name, FormStyle style) : Control(std::move(name)), style_(std::move(style))
{
    setCaption(style_.caption);
    setVisible(false);
}

const std::string& Form::ContainerOf(const Control& c) const
{
    static const std::string kForm;
    for (size_t i = 0; i < controls_.size(); ++i)
        if (controls_[i] == &c)
            return containers_[i];
    return kForm;
}

void Form::groupOptionButtons()
{
    for (Control* c : controls_) {
        if (auto* o = dynamic_cast<OptionButton*>(c)) {
            o->chosen = [this](OptionButton& picked) {
                for (Control* other : controls_)
                    if (auto* p = dynamic_cast<OptionButton*>(other); p && p != &picked && p->Container() == picked.Container())
                        p->setValue(false);
            };
        }
    }
}

} // namespace qm
