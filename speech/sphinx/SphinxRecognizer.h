// The program's recognizer on Linux: words.txt phrases heard through
// PocketSphinx. Audio is pushed in with feed() on the thread that owns the
// recognizer, so events fire on that thread, inside feed()/finish().
#pragma once

#include "speech/Recognizer.h"
#include "speech/sphinx/SphinxDecoder.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace qm {

class SphinxRecognizer : public Recognizer {
public:
    static constexpr const char* kDefaultModelDir = "/usr/share/pocketsphinx/model/en-us";

    // The model is loaded on the first GrammarFromFile(), so that a missing
    // model surfaces as a RecognizerError where the program expects errors.
    explicit SphinxRecognizer(std::string modelDir = kDefaultModelDir);
    ~SphinxRecognizer() override;

    void Deactivate() override;
    void GrammarFromFile(const std::string& path) override;
    void Activate() override;

    // 16 kHz mono 16-bit PCM. Ignored while not active.
    void feed(const std::int16_t* pcm, std::size_t count);
    // End of the audio stream: an utterance still open is decided now.
    void finish();
    // The audio stream broke off (the microphone was lost): an utterance
    // still open is dropped, not judged on part of a phrase, and the empty
    // phrase ends what its phrase-started began.
    void abandon();

    bool active() const { return active_; }
    // From the last GrammarFromFile(): phrases that cannot be heard because a
    // word cannot be pronounced, and those words; phrases too long to be a
    // spoken command.
    const std::vector<std::string>& unheardPhrases() const;
    const std::vector<std::string>& unknownWords() const;
    const std::vector<std::string>& longPhrases() const;
    // Samples consumed while active since construction.
    std::uint64_t samplesConsumed() const;

private:
    // Phrase-finished with the phrase heard; the empty one when none was.
    void finishPhrase(const std::string& phrase);

    std::string modelDir_;
    std::unique_ptr<sphinx::SphinxDecoder> decoder_;
    bool loaded_ = false;
    bool active_ = false;
    std::vector<std::string> none_;
};

}  // namespace qm
