#include "GrammarReader.h"

#include "FileIO.h"
#include "Recognizer.h"
#include "StoreFiles.h"

namespace qm {

std::vector<std::string> ReadGrammarPhrases(const std::string& wordsTxtPath)
{
    std::string bytes;
    try {
        bytes = fileio::readAll(wordsTxtPath);
    } catch (const std::runtime_error& e) {
        throw RecognizerError(std::string("cannot read the grammar ") + e.what());
    }
    std::vector<std::string> phrases;
    for (auto& line : StoreLines(bytes))
        if (line.compare(0, kPhrasePrefix.size(), kPhrasePrefix) == 0)
            phrases.push_back(line.substr(kPhrasePrefix.size()));
    return phrases;
}

} // namespace qm
