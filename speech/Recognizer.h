#pragma once
// The recognizer as the program drives it: three operations and two events.
// Engines raise the events on the UI thread, one at a time, never during a
// vocabulary reload.
#include <cstdint>
#include <functional>
#include <stdexcept>
#include <string>
#include <utility>

namespace qm {

class RecognizerError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

struct RecognizerEvents {
    // phrase-started: two values, both unused by the program.
    std::function<void(int32_t, int32_t)> PhraseStart;
    // phrase-finished: eight arguments, the sixth being the phrase exactly as
    // words.txt writes it after "<start>=".
    std::function<void(int32_t, int32_t, int32_t, int32_t, int32_t, const std::string& phrase, const std::string&, int32_t)>
        PhraseFinish;
};

class Recognizer {
public:
    virtual ~Recognizer() = default;
    virtual void Deactivate() = 0;                             // 4: stop listening
    virtual void GrammarFromFile(const std::string& path) = 0; // 8: load words.txt as the grammar
    virtual void Activate() = 0;                               // 5: listen with the loaded grammar
    void setEvents(RecognizerEvents e) { events_ = std::move(e); }

protected:
    RecognizerEvents events_;
};

} // namespace qm
