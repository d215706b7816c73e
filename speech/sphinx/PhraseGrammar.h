// The phrases of words.txt as the decoder hears them: each phrase as
// dictionary words, the phrases left out and why, and the finite-state
// grammar the search runs on.
#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <unordered_map>
#include <vector>

typedef struct fsg_model_s fsg_model_t;

namespace qm::sphinx {

class EngineWords;

// Splits a phrase on blanks into words with punctuation trimmed from both
// ends of each ("Open, Notepad!" -> Open Notepad); symbols that are read out
// stay ("50%", "C++"). Words that are only punctuation vanish.
std::vector<std::string> splitPhrase(const std::string& phrase);
// The same words in lower case.
std::vector<std::string> normalisePhrase(const std::string& phrase);

// Gives the engine a word it does not know yet, from the dictionary file;
// false when the file lacks it.
using WordSource = std::function<bool(const std::string& word)>;

class PhraseGrammar {
public:
    PhraseGrammar() = default;
    // More spoken words than this and a phrase is left out (tooLong()).
    static constexpr std::size_t kMaxWords = 50;

    // Reads each phrase into words of the decoder's dictionary; words the
    // dictionary lacks are given a pronunciation and added to it. Phrases
    // with a word that cannot be pronounced are left out (unheard()), and so
    // are empty ones; phrases that come to the same words answer as the
    // first of them.
    PhraseGrammar(const std::vector<std::string>& phrases, EngineWords& engine, const WordSource& dictionary);

    const std::vector<std::string>& unheard() const { return unheard_; }
    // The words that could not be pronounced: lower case, file order.
    const std::vector<std::string>& unknownWords() const { return unknown_; }
    const std::vector<std::string>& tooLong() const { return tooLong_; }
    std::size_t hearable() const { return hearable_; }
    // Nothing in the list can be heard.
    bool empty() const { return byWords_.empty(); }
    const std::string& text(std::size_t index) const { return texts_[index]; }

    // The phrase index that these dictionary words (blank-separated, as the
    // search reports them) answer as, or -1.
    int indexOfWords(const std::string& words) const;
    // The phrase index that saying this text answers as, read the way
    // phrases are read, or -1.
    int indexOfText(const std::string& spoken, EngineWords& engine, const WordSource& dictionary) const;
    // Each hearable phrase's dictionary words (blank-separated) and its index.
    const std::unordered_map<std::string, std::size_t>& byWords() const { return byWords_; }

    // The grammar in the library's form, owned by the caller: a prefix tree
    // over the phrases from state 0 to state 1.
    fsg_model_t* makeFsg(EngineWords& engine, const char* name) const;

private:
    struct Arc {
        int from, to, word;
    };
    std::vector<std::string> unheard_;
    std::vector<std::string> unknown_;
    std::vector<std::string> tooLong_;
    std::unordered_map<std::string, std::size_t> byWords_;  // joined words -> first phrase index
    std::vector<std::string> texts_;                         // phrase texts as given
    std::size_t hearable_ = 0;
    std::vector<std::string> wordList_;  // grammar word ids -> dictionary words
    std::vector<Arc> arcs_;
    int states_ = 2;
};

}  // namespace qm::sphinx
