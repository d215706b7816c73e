// The engine's pronunciations of the words a grammar has used, kept on our
// side: the engine's own word table walks long hash chains once it holds
// tens of thousands of words, and a reload of a large table looked each
// word up several times.
#pragma once

#include <string>
#include <unordered_map>

typedef struct ps_decoder_s ps_decoder_t;

namespace qm::sphinx {

class EngineWords {
public:
    explicit EngineWords(ps_decoder_t* ps) : ps_(ps) {}

    ps_decoder_t* engine() const { return ps_; }
    // The engine's phones for word ("word(2)" for its second
    // pronunciation), blank-separated; null when the engine lacks it. The
    // engine never forgets or changes a word, so an answer stays true.
    const std::string* phones(const std::string& word);
    bool knows(const std::string& word) { return phones(word) != nullptr; }

private:
    ps_decoder_t* ps_;
    std::unordered_map<std::string, std::string> known_;
};

// The first phone of a blank-separated pronunciation.
std::string firstPhone(const std::string& phones);
// How many phones a blank-separated pronunciation has.
int phoneCount(const std::string& phones);

}  // namespace qm::sphinx
