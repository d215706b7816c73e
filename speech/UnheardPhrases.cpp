#include "UnheardPhrases.h"

namespace qm {

namespace {

constexpr size_t kShown = 15;

std::string listed(const std::vector<std::string>& items, const char* separator, bool quoted)
{
    std::string out;
    for (size_t i = 0; i < items.size() && i < kShown; ++i) {
        if (i)
            out += separator;
        out += quoted ? "\"" + items[i] + "\"" : items[i];
    }
    if (items.size() > kShown)
        out += std::string(separator) + "and " + std::to_string(items.size() - kShown) + " more";
    return out;
}

} // namespace

std::string UnheardPhrasesMessage(const std::vector<std::string>& phrases, const std::vector<std::string>& unknownWords)
{
    if (phrases.empty())
        return {};
    std::string text = phrases.size() == 1 ? "This phrase cannot be heard" : "These phrases cannot be heard";
    text += ", because the speech dictionary does not know some of their words:\r\n";
    text += listed(phrases, "\r\n", true);
    text += "\r\n\r\nUnknown words: " + listed(unknownWords, ", ", false);
    text += "\r\n\r\nSpell such a word another way, or as single letters with spaces between them (i c q).";
    return text;
}

} // namespace qm
