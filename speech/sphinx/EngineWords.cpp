#include "speech/sphinx/EngineWords.h"

#include <pocketsphinx.h>
#include <sphinxbase/ckd_alloc.h>

namespace qm::sphinx {

const std::string* EngineWords::phones(const std::string& word) {
    if (const auto found = known_.find(word); found != known_.end()) return &found->second;
    char* pron = ps_lookup_word(ps_, word.c_str());
    if (!pron) return nullptr;  // not remembered: the word may be added later
    const auto added = known_.emplace(word, pron).first;
    ckd_free(pron);
    return &added->second;
}

std::string firstPhone(const std::string& phones) { return phones.substr(0, phones.find(' ')); }

int phoneCount(const std::string& phones) {
    int n = 0;
    bool inToken = false;
    for (const char c : phones) {
        const bool blank = c == ' ';
        if (!blank && !inToken) ++n;
        inToken = !blank;
    }
    return n;
}

}  // namespace qm::sphinx
