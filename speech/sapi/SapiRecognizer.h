#pragma once
// The Windows recognizer: the SAPI 5 in-process recognizer on the default audio
// input, with words.txt's phrases as one dynamic command rule.
//
// Threading: create, call and destroy it on the UI thread. It initialises COM
// on that thread itself, as a single-threaded apartment (a caller that did so
// already is fine), and balances that in its destructor. Engine events reach a
// message-only window of its own through that thread's message loop and are
// raised one at a time from there, so the front end needs nothing special.
//
// Nothing is created until the first GrammarFromFile: a machine without a
// recognizer or a microphone fails there and at Activate, with a
// RecognizerError that names the cause, and the vocabulary reload reports it.
#include "Recognizer.h"

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace qm {

// One phrase as the engine hears it: its position in words.txt and its words,
// blank-separated, in UTF-16.
struct SapiPhrase {
    int index;
    std::wstring words;
    bool operator==(const SapiPhrase&) const = default;
};

// The phrases of words.txt (in the ANSI code page) that go into the grammar.
// Phrases that differ only in letter case or in their blanks sound the same,
// so only the first of them in file order is given to the engine and is the
// one reported. A phrase without words cannot be spoken and is left out.
std::vector<SapiPhrase> SapiGrammarPhrases(const std::vector<std::string>& phrases);

// True when the SAPI 5 in-process recognizer can be created and Windows
// lists a default speech recognition engine. Call with COM initialised.
bool SapiRecognizerAvailable();

class SapiRecognizer : public Recognizer {
public:
    SapiRecognizer();
    ~SapiRecognizer() override;
    SapiRecognizer(const SapiRecognizer&) = delete;
    SapiRecognizer& operator=(const SapiRecognizer&) = delete;

    // Stops listening and frees the microphone; with nothing loaded yet there
    // is nothing to stop.
    void Deactivate() override;
    // Reads words.txt and replaces the grammar, inactive. Creates the engine
    // on first use.
    void GrammarFromFile(const std::string& path) override;
    // Listens with the loaded grammar.
    void Activate() override;

    // What the user is to be told: phrases the engine refused, a microphone
    // that went away. Called from the message loop, once per cause, never
    // inside a load.
    void setNotice(std::function<void(const std::string&)> notice) { notice_ = std::move(notice); }

private:
    struct Engine; // the COM objects and the event window, kept out of callers
    void deliverEvents();
    void tell(const std::string& text);
    void tellUser();

    std::unique_ptr<Engine> engine_;
    std::vector<std::string> phrases_; // words.txt's phrases, in file order
    std::string lastFailure_;          // why the engine could not be made, for Activate to repeat
    bool comInitialized_ = false;
    std::function<void(const std::string&)> notice_;
    std::string waiting_; // told at the next turn of the message loop
};

// What to tell the user about phrases the engine refused.
std::string RefusedPhrasesMessage(const std::vector<std::string>& phrases);

} // namespace qm
