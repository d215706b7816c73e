// A build without a speech engine: every start of listening fails with the
// reason, which the vocabulary reload reports, and the program runs on with
// its windows and store.
#include "SpeechEngine.h"

namespace qm {

namespace {

class NoSpeechEngine : public Recognizer {
public:
    void Deactivate() override {}
    void GrammarFromFile(const std::string&) override { fail(); }
    void Activate() override { fail(); }

private:
    [[noreturn]] static void fail() { throw RecognizerError("this build has no speech engine"); }
};

} // namespace

std::unique_ptr<Recognizer> MakeSpeechEngine() { return std::make_unique<NoSpeechEngine>(); }

} // namespace qm
