#include "Form4.h"

#include "WindowSet.h"

namespace qm {

Form4::Form4(WindowSet& set)
    : Form("Form4", {"About", FrameStyle::Sizable, 7830, 1440, Placement::SystemDefault, 0, 0, false}), set_(set)
{
    own(Image1);
    own(Label1);
    // Closing it from the title bar unloads it; the next "About" loads it anew.
    QueryClose = [this] { set_.unloadForm4(); };
}

void Form4::Form_Load()
{
    Label1.setCaption(std::string("Maker: ") + kMakerName + "\r\n" + "Website: " + kMakerWebsite + "\r\n");
}

} // namespace qm
