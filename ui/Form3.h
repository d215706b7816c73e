#pragma once
// The add window: a phrase, a command kind chosen by option buttons or from
// the player commands, and a target typed or browsed for.
#include "Form.h"

namespace qm {

class WindowSet;

class Form3 : public Form {
public:
    explicit Form3(WindowSet& set);

    Label Label1{"Label1", {120, 480, 1215, 255}};
    TextBox Text1{"Text1", {1200, 480, 2415, 285}};
    Frame Frame1{"Frame1", {120, 960, 3975, 735}};
    OptionButton Option2{"Option2", {240, 360, 1095, 255}, "Frame1"};
    OptionButton Option5{"Option5", {1440, 360, 855, 255}, "Frame1"};
    OptionButton Option6{"Option6", {2400, 360, 975, 255}, "Frame1"};
    Frame Frame2{"Frame2", {120, 1920, 4935, 1335}};
    OptionButton Option7{"Option7", {240, 240, 1575, 375}, "Frame2"};
    OptionButton Option8{"Option8", {240, 720, 1215, 495}, "Frame2"};
    ComboBox Combo1{"Combo1", {2040, 360, 2055, 315}};
    Label Label3{"Label3", {120, 3360, 1215, 255}};
    OptionButton Option1{"Option1", {1080, 3360, 855, 255}, ""};
    OptionButton Option3{"Option3", {1800, 3360, 855, 255}, ""};
    OptionButton Option4{"Option4", {2640, 3360, 1575, 255}, ""};
    OptionButton Option9{"Option9", {240, 3720, 1935, 375}, ""};
    OptionButton Option10{"Option10", {2400, 3720, 1815, 255}, ""};
    TextBox Text3{"Text3", {120, 4200, 3495, 285}};
    CommandButton Command3{"Command3", {120, 4560, 1215, 375}};
    CommandButton Command1{"Command1", {120, 5040, 1215, 375}};
    CommandButton Command2{"Command2", {1440, 5040, 1215, 375}};

    // The kind the option buttons chose; Save may replace it with a player command.
    const std::string& selectedKind() const { return selectedKind_; }

    void Form_Load();
    void Command1_Click(); // Save
    void Command2_Click(); // Close
    void Command3_Click(); // Browse
    void OptionClick(OptionButton& option);

private:
    void refuse(const std::string& why);
    WindowSet& set_;
    std::string selectedKind_;
};

} // namespace qm
