#include "speech/sphinx/SphinxRecognizer.h"

#include "EventLog.h"
#include "speech/GrammarReader.h"

#include <utility>

namespace qm {

namespace {

// Every utterance the engine decided on, for the --verbose log: what it heard
// with its score, or why it let it pass.
void logUtterance(const sphinx::UtteranceReport& r) {
    if (!eventLogEnabled()) return;
    const std::string score = "(score " + std::to_string(r.score) + ", " + std::to_string(r.frames) + " frames, margin " +
                              std::to_string(r.marginPerFrame) + ")";
    if (r.accepted)
        logEvent("heard " + logQuoted(r.words) + " " + score);
    else if (*r.rejectedBy)
        logEvent("ignored " + logQuoted(r.words) + " " + score + ": " + r.rejectedBy);
    else if (r.words.empty())
        logEvent("ignored speech " + score + ": nothing in it matched the word list");
    else
        logEvent("ignored " + logQuoted(r.words) + " " + score + ": not a phrase of the word list");
}

}  // namespace

SphinxRecognizer::SphinxRecognizer(std::string modelDir) : modelDir_(std::move(modelDir)) {}

SphinxRecognizer::~SphinxRecognizer() = default;

void SphinxRecognizer::Deactivate() {
    active_ = false;
    // Half an utterance heard before deactivation must not complete with the
    // first audio after reactivation.
    if (decoder_) decoder_->reset();
}

void SphinxRecognizer::GrammarFromFile(const std::string& path) {
    std::vector<std::string> phrases = ReadGrammarPhrases(path);
    try {
        if (!decoder_) {
            auto options = sphinx::defaultDecoderOptions();
            options.modelDir = modelDir_;
            decoder_ = std::make_unique<sphinx::SphinxDecoder>(options);
            decoder_->onSpeechStarted([this] {
                if (events_.PhraseStart) events_.PhraseStart(0, 0);
            });
            decoder_->onUtterance([](const sphinx::UtteranceReport& r) { logUtterance(r); });
            decoder_->onPhraseAccepted([this](std::size_t, const std::string& phrase) { finishPhrase(phrase); });
            // Speech that is not a phrase still ends what phrase-started
            // began: the empty phrase hides the indicator and runs nothing.
            decoder_->onPhraseRefused([this] { finishPhrase(std::string()); });
        }
        loaded_ = false;
        decoder_->setPhrases(phrases);
        loaded_ = true;
    } catch (const sphinx::SphinxError& e) {
        throw RecognizerError(e.what());
    }
}

void SphinxRecognizer::Activate() {
    if (!loaded_) throw RecognizerError("cannot listen: no grammar has been loaded");
    if (!active_) decoder_->reset();
    active_ = true;
}

void SphinxRecognizer::feed(const std::int16_t* pcm, std::size_t count) {
    if (!active_ || count == 0) return;
    try {
        decoder_->process(pcm, count);
    } catch (const sphinx::SphinxError& e) {
        throw RecognizerError(e.what());
    }
}

void SphinxRecognizer::finish() {
    if (active_) decoder_->finish();
}

void SphinxRecognizer::abandon() {
    if (!decoder_ || !decoder_->inSpeech()) return;
    decoder_->reset();
    finishPhrase(std::string());
}

void SphinxRecognizer::finishPhrase(const std::string& phrase) {
    if (events_.PhraseFinish) events_.PhraseFinish(0, 0, 0, 0, 0, phrase, std::string(), 0);
}

const std::vector<std::string>& SphinxRecognizer::unheardPhrases() const {
    return decoder_ ? decoder_->unheardPhrases() : none_;
}

const std::vector<std::string>& SphinxRecognizer::unknownWords() const {
    return decoder_ ? decoder_->unknownWords() : none_;
}

const std::vector<std::string>& SphinxRecognizer::longPhrases() const {
    return decoder_ ? decoder_->longPhrases() : none_;
}

std::uint64_t SphinxRecognizer::samplesConsumed() const { return decoder_ ? decoder_->samplesConsumed() : 0; }

}  // namespace qm
