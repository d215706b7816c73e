// Development probe: decodes WAV files against a phrase list and prints the
// evidence behind every accept/reject decision, one utterance per line:
//   file  end_ms  accepted  phone_loop_won  frames  words
// The phrase list is plain text, one phrase per line. "-g P" sets the phone
// loop's per-phone probability, for sweeping it.
#include "app/hear/WavFile.h"
#include "speech/sphinx/SphinxDecoder.h"

#include <cstdio>
#include <fstream>
#include <iostream>
#include <string>
#include <vector>

int main(int argc, char** argv) {
    auto options = qm::sphinx::defaultDecoderOptions();
    if (argc > 2 && std::string(argv[1]) == "-g") {
        options.garbagePhoneProb = std::stod(argv[2]);
        argv += 2;
        argc -= 2;
    }
    if (argc < 3) {
        std::cerr << "usage: quillmere-speech-score PHRASES.txt FILE.wav...\n";
        return 2;
    }
    std::vector<std::string> phrases;
    std::ifstream in(argv[1]);
    if (!in) {
        std::cerr << argv[1] << ": cannot open\n";
        return 2;
    }
    for (std::string line; std::getline(in, line);)
        if (!line.empty()) phrases.push_back(line);
    try {
        qm::sphinx::SphinxDecoder dec(phrases, options);
        for (const auto& w : dec.unknownWords()) std::cerr << "unknown word: " << w << "\n";
        for (int i = 2; i < argc; ++i) {
            const std::string file = argv[i];
            const auto pcm = qm::hear::readWav16kMono(file);
            const std::uint64_t base = dec.samplesConsumed();
            dec.onUtterance([&](const qm::sphinx::UtteranceReport& r) {
                std::printf("%s\t%llu\t%d\t%d\t%d\t%s\n", file.c_str(),
                            static_cast<unsigned long long>((r.endSample - base) / 16), r.accepted ? 1 : 0,
                            r.garbage ? 1 : 0, r.frames, r.words.c_str());
            });
            dec.process(pcm.data(), pcm.size());
            dec.finish();
        }
    } catch (const std::exception& e) {
        std::cerr << e.what() << "\n";
        return 2;
    }
    return 0;
}
