#pragma once
#include <string>
#include <vector>

namespace qm {

// What to tell the user after a grammar load left phrases out: those with a
// word that cannot be pronounced (and those words), and those longer than
// any spoken command (more than maxWords words). Long lists are cut short so
// the message box stays on the screen. Empty when nothing was left out.
std::string UnheardPhrasesMessage(const std::vector<std::string>& phrases, const std::vector<std::string>& unknownWords,
                                  const std::vector<std::string>& longPhrases = {}, int maxWords = 50);

} // namespace qm
