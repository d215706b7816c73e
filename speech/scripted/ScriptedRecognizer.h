#pragma once
// A recognizer driven by the test: it records every operation, fails the ones
// it is told to, and raises the events for a phrase the test "says".
#include "Recognizer.h"

#include <deque>
#include <string>
#include <vector>

namespace qm {

class ScriptedRecognizer : public Recognizer {
public:
    enum class Op { Deactivate, Load, Activate };

    void Deactivate() override;
    void GrammarFromFile(const std::string& path) override;
    void Activate() override;

    // The next calls of `op` fail, once per entry queued.
    void failNext(Op op, int times = 1);
    // Raises phrase-started, then phrase-finished with the phrase, when listening.
    void say(const std::string& phrase);
    // Speech that the engine refuses: phrase-started, then phrase-finished
    // with the empty phrase, when listening.
    void refuse() { say(std::string()); }

    bool listening() const { return listening_; }
    const std::vector<std::string>& grammar() const { return grammar_; }
    std::vector<Op> calls;
    std::vector<std::string> loadedPaths;

private:
    void maybeFail(Op op);
    std::deque<Op> failures_;
    std::vector<std::string> grammar_;
    bool listening_ = false;
};

} // namespace qm
