#pragma once
#include <string>
#include <vector>

namespace qm {

// What to tell the user after a grammar load left phrases out because the
// engine does not know some of their words. Long lists are cut short so the
// message box stays on the screen.
std::string UnheardPhrasesMessage(const std::vector<std::string>& phrases, const std::vector<std::string>& unknownWords);

} // namespace qm
