#include "UnheardPhrases.h"

namespace qm {

namespace {

constexpr size_t kShown = 15;

// The first 60 bytes or so, cut between characters.
std::string opening(const std::string& s)
{
    size_t cut = 60;
    if (s.size() <= cut)
        return s;
    while (cut > 0 && (static_cast<unsigned char>(s[cut]) & 0xC0) == 0x80)
        --cut;
    return s.substr(0, cut) + "...";
}

std::string listed(const std::vector<std::string>& items, const char* separator, bool quoted)
{
    std::string out;
    for (size_t i = 0; i < items.size() && i < kShown; ++i) {
        if (i)
            out += separator;
        // Only the opening of each: a phrase may be pages long.
        const std::string item = opening(items[i]);
        out += quoted ? "\"" + item + "\"" : item;
    }
    if (items.size() > kShown)
        out += std::string(separator) + "and " + std::to_string(items.size() - kShown) + " more";
    return out;
}

} // namespace

std::string UnheardPhrasesMessage(const std::vector<std::string>& phrases, const std::vector<std::string>& unknownWords,
                                  const std::vector<std::string>& longPhrases, int maxWords)
{
    std::string text;
    if (!phrases.empty()) {
        text = phrases.size() == 1 ? "This phrase cannot be heard" : "These phrases cannot be heard";
        text += ", because some of their words cannot be pronounced:\r\n";
        text += listed(phrases, "\r\n", true);
        if (!unknownWords.empty())
            text += "\r\n\r\nWords that cannot be pronounced: " + listed(unknownWords, ", ", false);
        text += "\r\n\r\nSpell such a word in Latin letters, the way it sounds.";
    }
    if (!longPhrases.empty()) {
        if (!text.empty())
            text += "\r\n\r\n";
        text += longPhrases.size() == 1 ? "This phrase is too long to be heard" : "These phrases are too long to be heard";
        text += "; a spoken command has at most " + std::to_string(maxWords) + " words:\r\n";
        text += listed(longPhrases, "\r\n", true);
    }
    return text;
}

} // namespace qm
