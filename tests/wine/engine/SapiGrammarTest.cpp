// The SAPI grammar without a recognizer: words passed literally, the phrase
// index from the property's value, refused phrases left out.
#include "SapiGrammar.h"
#include "SapiRecognizer.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <set>
#include <string>
#include <vector>

using namespace qm;

TEST(SapiWords, SpecialCharactersAreTakenLiterally)
{
    const std::pair<std::wstring, std::wstring> cases[] = {
        {L"play", L"play"},
        {L"x-ray", L"x-ray"},              // a hyphen inside a word means nothing
        {L"AC/DC", L"/AC\\/DC/AC\\/DC;"},  // "/" would start the display/lexical form
        {L"+1", L"/+1/+1;"},               // a leading "+" or "-" is a confidence mark
        {L"-5", L"/-5/-5;"},
        {L"C++", L"/C++/C++;"},
        {L"a\\b;c", L"/a\\\\b\\;c/a\\\\b\\;c;"},
    };
    for (const auto& [word, want] : cases)
        EXPECT_EQ(SapiLiteralWord(word), want) << testing::PrintToString(word);
    EXPECT_EQ(SapiLiteralWords(L"play  AC/DC\t+1"), L"play /AC\\/DC/AC\\/DC; /+1/+1;");
}

TEST(SapiWords, ThePhraseIndexIsThePropertysValueNotItsId)
{
    SPPHRASEPROPERTY other{};
    other.pszName = L"other";
    other.vValue.vt = VT_I4;
    other.vValue.lVal = 9;
    SPPHRASEPROPERTY phrase{};
    phrase.pszName = kSapiPhraseProperty;
    phrase.ulId = 1; // the same id for every phrase
    phrase.vValue.vt = VT_I4;
    phrase.vValue.lVal = 41;
    other.pNextSibling = &phrase;
    EXPECT_EQ(SapiPhraseIndex(&other), std::optional<size_t>(41));

    phrase.vValue.vt = VT_UI4;
    phrase.vValue.ulVal = 7;
    EXPECT_EQ(SapiPhraseIndex(&phrase), std::optional<size_t>(7));
    phrase.vValue.vt = VT_EMPTY; // a value-less property carries no index
    EXPECT_EQ(SapiPhraseIndex(&phrase), std::nullopt);
    EXPECT_EQ(SapiPhraseIndex(nullptr), std::nullopt);
}

namespace {

// A recognizer's grammar as far as building goes: it refuses some words when
// they are added, and fails the commit while some others are in it.
struct FakeEngine {
    std::set<std::wstring> refusedAtAdd;
    std::set<std::wstring> failTheCommit;
    int drafts = 0;
    int commits = 0;
};

class FakeDraft : public SapiGrammarDraft {
public:
    explicit FakeDraft(FakeEngine& e) : e_(e) {}
    HRESULT add(const SapiPhrase& p) override
    {
        if (e_.refusedAtAdd.count(p.words))
            return E_INVALIDARG;
        held.push_back(p.index);
        return S_OK;
    }
    HRESULT commit() override
    {
        ++e_.commits;
        for (int i : held)
            if (poisoned.count(i))
                return E_FAIL;
        return S_OK;
    }
    std::vector<int> held;
    std::set<int> poisoned;

private:
    FakeEngine& e_;
};

SapiGrammarBuild build(FakeEngine& e, const std::vector<SapiPhrase>& phrases)
{
    std::set<int> poisoned;
    for (const auto& p : phrases)
        if (e.failTheCommit.count(p.words))
            poisoned.insert(p.index);
    return BuildSapiGrammar(phrases, [&]() -> std::unique_ptr<SapiGrammarDraft> {
        ++e.drafts;
        auto d = std::make_unique<FakeDraft>(e);
        d->poisoned = poisoned;
        return d;
    });
}

std::vector<int> held(const SapiGrammarBuild& b)
{
    return static_cast<const FakeDraft&>(*b.grammar).held;
}

const std::vector<SapiPhrase> kPhrases = {{0, L"play"}, {1, L"AC/DC"}, {2, L"next track"}, {3, L"C++"},
                                          {5, L"stop"},  {6, L"+1"},    {7, L"louder"}};

} // namespace

TEST(SapiGrammarBuild, APhraseRefusedOnAddIsLeftOutAndTheRestCommitOnce)
{
    FakeEngine e;
    e.refusedAtAdd = {L"AC/DC", L"+1"};
    const SapiGrammarBuild b = build(e, kPhrases);
    EXPECT_EQ(b.refused, (std::vector<int>{1, 6}));
    EXPECT_EQ(held(b), (std::vector<int>{0, 2, 3, 5, 7}));
    EXPECT_EQ(e.commits, 1);
}

TEST(SapiGrammarBuild, PhrasesThatFailTheCommitAreFoundAndLeftOut)
{
    FakeEngine e;
    e.refusedAtAdd = {L"stop"};
    e.failTheCommit = {L"next track", L"louder"};
    const SapiGrammarBuild b = build(e, kPhrases);
    EXPECT_EQ(b.refused, (std::vector<int>{2, 5, 7}));
    EXPECT_EQ(held(b), (std::vector<int>{0, 1, 3, 6}));
}

TEST(SapiGrammarBuild, EdgeCases)
{
    {
        SCOPED_TRACE("an empty grammar, as at a first start, commits");
        FakeEngine e;
        const SapiGrammarBuild b = build(e, {});
        EXPECT_TRUE(b.refused.empty());
        EXPECT_TRUE(held(b).empty());
        EXPECT_EQ(e.commits, 1);
    }
    {
        SCOPED_TRACE("every phrase failing the commit leaves an empty grammar, not a failure");
        FakeEngine e;
        e.failTheCommit = {L"play", L"AC/DC"};
        const SapiGrammarBuild b = build(e, {{0, L"play"}, {1, L"AC/DC"}});
        EXPECT_EQ(b.refused, (std::vector<int>{0, 1}));
        EXPECT_TRUE(held(b).empty());
    }
    {
        SCOPED_TRACE("no grammar can be made at all");
        EXPECT_THROW(BuildSapiGrammar(kPhrases, [] { return std::unique_ptr<SapiGrammarDraft>(); }), RecognizerError);
    }
}

TEST(SapiGrammarBuild, TheUserIsToldWhichPhrasesWereRefused)
{
    EXPECT_EQ(RefusedPhrasesMessage({}), "");
    const std::string one = RefusedPhrasesMessage({"AC/DC"});
    EXPECT_NE(one.find("this phrase"), std::string::npos) << one;
    EXPECT_NE(one.find("\"AC/DC\""), std::string::npos) << one;
    std::vector<std::string> many(20, "x");
    EXPECT_NE(RefusedPhrasesMessage(many).find("and 5 more"), std::string::npos);
}
