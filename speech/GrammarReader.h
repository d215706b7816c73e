#pragma once
#include <string>
#include <vector>

namespace qm {

// The phrases of a words.txt grammar: the text after "<start>=" of every line
// that begins with it exactly. Header lines, and anything else a user may have
// typed into the file, are ignored. Throws RecognizerError when unreadable.
std::vector<std::string> ReadGrammarPhrases(const std::string& wordsTxtPath);

} // namespace qm
