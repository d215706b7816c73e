#pragma once
// Toolkit-neutral state shared by every control model. A front end binds one
// native widget to a model and follows it through the single observer.
#include <functional>
#include <string>
#include <utility>

namespace qm {

// Positions and sizes in twips (1/1440 inch), relative to the container.
struct Twips {
    int left = 0, top = 0, width = 0, height = 0;
};

enum class Change { Items, ItemAdded, ItemRemoved, Cleared, Selection, Text, Caption, Enabled, Visible, Checked };

class Control {
public:
    using Observer = std::function<void(Change, int index)>;

    explicit Control(std::string name, Twips geometry = {}) : name_(std::move(name)), geometry_(geometry) {}
    virtual ~Control() = default;
    Control(const Control&) = delete;
    Control& operator=(const Control&) = delete;

    const std::string& Name() const { return name_; }
    const Twips& Geometry() const { return geometry_; }

    bool Enabled() const { return enabled_; }
    void setEnabled(bool on) { if (on != enabled_) { enabled_ = on; notify(Change::Enabled); } }
    bool Visible() const { return visible_; }
    void setVisible(bool on) { if (on != visible_) { visible_ = on; notify(Change::Visible); } }

    const std::string& Caption() const { return caption_; }
    void setCaption(std::string text) { caption_ = std::move(text); notify(Change::Caption); }
    const std::string& ToolTipText() const { return tooltip_; }
    void setToolTipText(std::string text) { tooltip_ = std::move(text); }
    int TabIndex() const { return tabIndex_; }
    void setTabIndex(int i) { tabIndex_ = i; }

    // One observer per model: the widget binding that shows it.
    void setObserver(Observer o) { observer_ = std::move(o); }

protected:
    void notify(Change c, int index = -1) const { if (observer_) observer_(c, index); }

private:
    std::string name_;
    Twips geometry_;
    std::string caption_;
    std::string tooltip_;
    int tabIndex_ = 0;
    bool enabled_ = true;
    bool visible_ = true;
    Observer observer_;
};

} // namespace qm
