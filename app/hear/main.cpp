// quillmere-hear WORDS_TXT FILE.wav...
// Plays WAV files into the speech engine as if from the microphone and
// prints every phrase it hears: <file> TAB <ms> TAB <phrase>, where ms is how
// far into the file the engine had read when it reported the phrase.
#include "app/hear/WavFile.h"
#include "speech/sphinx/SphinxRecognizer.h"

#include <cstdint>
#include <cstdlib>
#include <iostream>
#include <string>
#include <vector>

namespace {

int usage(const std::string& why) {
    std::cerr << "quillmere-hear: " << why << "\n"
              << "usage: quillmere-hear WORDS_TXT FILE.wav...\n"
              << "  FILE.wav must be 16000 Hz mono 16-bit PCM.\n";
    return 2;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 3) return usage(argc < 2 ? "no grammar file given" : "no audio file given");
    const std::string words = argv[1];

    struct Clip {
        std::string path;
        std::vector<std::int16_t> pcm;
    };
    std::vector<Clip> clips;
    try {
        for (int i = 2; i < argc; ++i) clips.push_back({argv[i], qm::hear::readWav16kMono(argv[i])});
    } catch (const qm::hear::WavError& e) {
        std::cerr << "quillmere-hear: " << e.what() << "\n";
        return 2;
    }

    const char* modelEnv = std::getenv("QM_SPHINX_MODEL");
    qm::SphinxRecognizer recognizer(modelEnv && *modelEnv ? modelEnv : qm::SphinxRecognizer::kDefaultModelDir);
    try {
        recognizer.GrammarFromFile(words);
    } catch (const qm::RecognizerError& e) {
        std::cerr << "quillmere-hear: " << e.what() << "\n";
        return 2;
    }
    for (const auto& w : recognizer.unknownWords()) std::cerr << "quillmere-hear: unknown word: " << w << "\n";
    for (const auto& p : recognizer.unheardPhrases()) std::cerr << "quillmere-hear: cannot hear phrase: " << p << "\n";
    for (const auto& p : recognizer.longPhrases())
        std::cerr << "quillmere-hear: phrase too long to hear: " << p.substr(0, 60) << "\n";

    const Clip* current = nullptr;
    std::uint64_t fileStart = 0;
    qm::RecognizerEvents events;
    events.PhraseFinish = [&](std::int32_t, std::int32_t, std::int32_t, std::int32_t, std::int32_t,
                              const std::string& phrase, const std::string&, std::int32_t) {
        if (phrase.empty()) return;  // speech that was refused: nothing was heard
        const std::uint64_t ms = (recognizer.samplesConsumed() - fileStart) / 16;
        std::cout << current->path << '\t' << ms << '\t' << phrase << '\n' << std::flush;
    };
    recognizer.setEvents(events);

    try {
        for (const Clip& clip : clips) {
            // Each file is its own stream: nothing heard in one carries over.
            recognizer.Deactivate();
            recognizer.Activate();
            current = &clip;
            fileStart = recognizer.samplesConsumed();
            constexpr std::size_t kBuffer = 1600;  // 100 ms, as the microphone delivers
            for (std::size_t at = 0; at < clip.pcm.size(); at += kBuffer)
                recognizer.feed(clip.pcm.data() + at, std::min(kBuffer, clip.pcm.size() - at));
            recognizer.finish();
        }
    } catch (const qm::RecognizerError& e) {
        std::cerr << "quillmere-hear: " << e.what() << "\n";
        return 2;
    }
    return 0;
}
