#include "SapiGrammar.h"

#include "Recognizer.h"
#include "SapiRecognizer.h"

#include <algorithm>
#include <cwchar>

namespace qm {

std::wstring SapiLiteralWord(const std::wstring& word)
{
    const bool plain = !word.empty() && word[0] != L'+' && word[0] != L'-' &&
                       word.find_first_of(L"/\\;+") == std::wstring::npos;
    if (plain)
        return word;
    std::wstring escaped;
    for (wchar_t c : word) {
        if (c == L'/' || c == L'\\' || c == L';')
            escaped += L'\\';
        escaped += c;
    }
    return L"/" + escaped + L"/" + escaped + L";";
}

std::wstring SapiLiteralWords(const std::wstring& words)
{
    std::wstring out;
    size_t pos = 0;
    while (pos < words.size()) {
        const size_t start = words.find_first_not_of(L" \t", pos);
        if (start == std::wstring::npos)
            break;
        const size_t end = std::min(words.find_first_of(L" \t", start), words.size());
        if (!out.empty())
            out += L' ';
        out += SapiLiteralWord(words.substr(start, end - start));
        pos = end;
    }
    return out;
}

std::optional<size_t> SapiPhraseIndex(const SPPHRASEPROPERTY* properties)
{
    for (const SPPHRASEPROPERTY* p = properties; p; p = p->pNextSibling) {
        if (!p->pszName || std::wcscmp(p->pszName, kSapiPhraseProperty) != 0)
            continue;
        switch (p->vValue.vt) {
        case VT_I4:
        case VT_INT:
            if (p->vValue.lVal >= 0)
                return static_cast<size_t>(p->vValue.lVal);
            break;
        case VT_UI4:
        case VT_UINT:
            return static_cast<size_t>(p->vValue.ulVal);
        default:
            break;
        }
    }
    return std::nullopt;
}

std::string RefusedPhrasesMessage(const std::vector<std::string>& phrases)
{
    if (phrases.empty())
        return {};
    constexpr size_t kShown = 15;
    std::string text = phrases.size() == 1 ? "The speech recognizer refused this phrase, so it cannot be heard:"
                                           : "The speech recognizer refused these phrases, so they cannot be heard:";
    for (size_t i = 0; i < phrases.size() && i < kShown; ++i)
        text += "\r\n\"" + phrases[i] + "\"";
    if (phrases.size() > kShown)
        text += "\r\nand " + std::to_string(phrases.size() - kShown) + " more";
    return text + "\r\n\r\nThe other phrases are heard as usual.";
}

namespace {

class Builder {
public:
    explicit Builder(const std::function<std::unique_ptr<SapiGrammarDraft>()>& newDraft) : newDraft_(newDraft) {}

    std::unique_ptr<SapiGrammarDraft> draft()
    {
        auto d = newDraft_();
        if (!d)
            throw RecognizerError("the grammar cannot be made");
        return d;
    }

    // A draft of the kept phrases and these, committed, or null.
    std::unique_ptr<SapiGrammarDraft> tryCommit(const std::vector<SapiPhrase>& more)
    {
        auto d = draft();
        for (const std::vector<SapiPhrase>* list : {static_cast<const std::vector<SapiPhrase>*>(&kept), &more})
            for (const SapiPhrase& p : *list)
                if (FAILED(d->add(p)))
                    return nullptr;
        return SUCCEEDED(d->commit()) ? std::move(d) : nullptr;
    }

    // Keeps the phrases that commit with the ones kept so far, by halves.
    void sift(std::vector<SapiPhrase> phrases)
    {
        if (phrases.empty())
            return;
        if (tryCommit(phrases)) {
            kept.insert(kept.end(), phrases.begin(), phrases.end());
            return;
        }
        if (phrases.size() == 1) {
            refused.push_back(phrases[0].index);
            return;
        }
        const auto half = phrases.begin() + static_cast<std::ptrdiff_t>(phrases.size() / 2);
        sift(std::vector<SapiPhrase>(phrases.begin(), half));
        sift(std::vector<SapiPhrase>(half, phrases.end()));
    }

    std::vector<SapiPhrase> kept;
    std::vector<int> refused;

private:
    const std::function<std::unique_ptr<SapiGrammarDraft>()>& newDraft_;
};

} // namespace

SapiGrammarBuild BuildSapiGrammar(const std::vector<SapiPhrase>& phrases,
                                  const std::function<std::unique_ptr<SapiGrammarDraft>()>& newDraft)
{
    Builder b(newDraft);
    auto first = b.draft();
    std::vector<SapiPhrase> added;
    for (const SapiPhrase& p : phrases) {
        if (SUCCEEDED(first->add(p)))
            added.push_back(p);
        else
            b.refused.push_back(p.index);
    }
    HRESULT hr = first->commit();
    if (SUCCEEDED(hr)) {
        std::sort(b.refused.begin(), b.refused.end());
        return {std::move(first), std::move(b.refused)};
    }
    first.reset();
    b.sift(std::move(added));
    auto grammar = b.tryCommit({});
    if (!grammar)
        throw RecognizerError("the grammar cannot be built");
    std::sort(b.refused.begin(), b.refused.end());
    return {std::move(grammar), std::move(b.refused)};
}

} // namespace qm
