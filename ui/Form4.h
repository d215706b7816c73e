#pragma once
// The About window: a picture and the maker lines.
#include "Form.h"

namespace qm {

class WindowSet;

inline constexpr const char* kMakerName = "The Quillmere developers";
inline constexpr const char* kMakerWebsite = "https://quillmere.example.org";

class Form4 : public Form {
public:
    explicit Form4(WindowSet& set);

    Image Image1{"Image1", {0, 120, 2160, 1320}, "about"};
    Label Label1{"Label1", {2280, 120, 4215, 1455}};

    void Form_Load();

private:
    WindowSet& set_;
};

} // namespace qm
