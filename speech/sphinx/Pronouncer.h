// Pronunciations for what the dictionary lacks: a typed token read the way
// a person says it ("2" -> two, "AT&T" -> a t and t, "Quillmere" -> its
// letter-to-sound phones), from flite's US English text rules, CMU lexicon
// and letter-to-sound rules, in the acoustic model's phone set.
#pragma once

#include <string>
#include <vector>

namespace qm::sphinx {

struct SpokenWord {
    std::string word;    // lower case, as flite names it
    std::string phones;  // blank-separated, the model's phones ("K W IH L M EH R")
};

class Pronouncer {
public:
    Pronouncer();
    ~Pronouncer();
    Pronouncer(const Pronouncer&) = delete;
    Pronouncer& operator=(const Pronouncer&) = delete;

    // The words spoken for one token as typed (case kept: "ICQ" is spelled
    // out, "Icq" is read as a word). Empty when the token holds nothing that
    // can be pronounced (no Latin letters or digits).
    std::vector<SpokenWord> spell(const std::string& token) const;

private:
    struct Impl;
    Impl* impl_;
};

// Latin letters with accents or ligatures (UTF-8) as the plain letters an
// English speaker reads for them ("Zürich" -> Zurich, "Æsir" -> AEsir).
// Other bytes above ASCII are kept as they are.
std::string plainLatin(const std::string& text);

}  // namespace qm::sphinx
