#include "GrammarReader.h"

#include "FileIO.h"
#include "Recognizer.h"
#include "StoreFiles.h"

namespace qm {

std::vector<std::string> ReadGrammarPhrases(const std::string& wordsTxtPath)
{
    std::string bytes;
    try {
        bytes = fileio::readRegular(wordsTxtPath).bytes;
    } catch (const fileio::Error& e) {
        throw RecognizerError("cannot read the grammar " + std::string(e.what()));
    }
    std::vector<std::string> phrases;
    for (auto& line : StoreLines(bytes))
        if (line.compare(0, kPhrasePrefix.size(), kPhrasePrefix) == 0)
            phrases.push_back(line.substr(kPhrasePrefix.size()));
    return phrases;
}

} // namespace qm
