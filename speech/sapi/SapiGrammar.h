#pragma once
// How words.txt's phrases become a SAPI 5 grammar, apart from the engine so
// that tests reach it without a recognizer: the words written so that SAPI
// takes them literally, the phrase index carried by a recognition, and the
// grammar built with the phrases the engine accepts, the refused ones left out.
#include <windows.h>
#include <sapi.h>

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace qm {

struct SapiPhrase;

// One word as SAPI's word syntax takes it literally. In that syntax "/"
// separates the display, lexical and pronunciation forms, and a leading "+"
// or "-" is a confidence mark, so "AC/DC", "+1" or "C++" would not be the
// words they are. Such a word is given in the full form "/display/lexical;"
// with "\" before each "/", "\" and ";" of the word; other words pass as
// they are.
std::wstring SapiLiteralWord(const std::wstring& word);
// Each blank-separated word of a phrase, as above, joined by single blanks.
std::wstring SapiLiteralWords(const std::wstring& words);

// The name of the property that every phrase's path carries; its value is
// the phrase's position in words.txt.
inline constexpr const wchar_t* kSapiPhraseProperty = L"phrase";
// The words.txt position carried by a recognition's properties: the value
// of the phrase property, whatever the property's id.
std::optional<size_t> SapiPhraseIndex(const SPPHRASEPROPERTY* properties);

// A grammar being built: one phrase at a time, then committed once.
class SapiGrammarDraft {
public:
    virtual ~SapiGrammarDraft() = default;
    virtual HRESULT add(const SapiPhrase& phrase) = 0;
    virtual HRESULT commit() = 0;
};

struct SapiGrammarBuild {
    std::unique_ptr<SapiGrammarDraft> grammar; // committed, holding every phrase but the refused
    std::vector<int> refused;                  // words.txt positions, in file order
};

// Builds a grammar from fresh drafts made by newDraft. A phrase whose add
// fails is left out. When the commit fails, the phrases that make it fail are
// found by halves and left out too. Throws RecognizerError when a draft
// cannot be made or even the remaining phrases do not commit.
SapiGrammarBuild BuildSapiGrammar(const std::vector<SapiPhrase>& phrases,
                                  const std::function<std::unique_ptr<SapiGrammarDraft>()>& newDraft);

} // namespace qm
