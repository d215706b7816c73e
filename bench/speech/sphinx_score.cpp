// Development probe: decodes WAV files against a phrase list and prints the
// evidence behind every accept/reject decision, one utterance per line:
//   file end_ms accepted frames phrase_frames ascr_per_frame
//   phones posterior words segments margin_per_frame quiet_frames_before
//   measured_again worst_word_margin rejected_by loop_ascr_per_frame event_ms
// where segments are word:first_frame-last_frame:ascr, and event_ms is when
// the report left the decoder, fed in real time (see below). The phrase list is
// plain text, one phrase per line. Options, for sweeping the decision:
//   -r P       phone probability of the loop-only rival decoder (0: none)
//   -m N       minimum margin per frame over the rival
//   -e F       frames per phone the first and last word must exceed
//   -i F       frames per phone a word between them must exceed
//   -1 N       minimum margin per frame for a one-word phrase
//   -q N       frames of quiet required before an utterance
//   -w N       minimum margin per frame of the phrase's worst word
//   -B N, -A N most frames before the first and after the last phrase word
//   -L DB      level of a stretch's loudest 10 ms before decoding
//   -N DB      white noise this far below that level
//   -S MS      silence that closes a stretch
//   -D MS      quiet after speech at which the stretch is judged
//   -T N       minimum margin per frame within a second of other talk
//   -Q N       minimum acoustic score per frame of the quiet before the words
//   -P N       the same for a pause between two of the words
//   -a X, -b X noise reduction: over-subtraction (0: off), floor share
//   -M N       the fewest frames from a stretch's start to its first word
//   -R N       the margin per frame for a first word that took in the stretch's opening quiet
//   -s DB      within speech, sound this far over the floor still counts as speech
//   -c N       margins this close to a limit are measured at three more frame phases
//   -u N       margins known before this voice's usual margin sets a limit (0: off)
//   -U N, -W N the limit lies N below the median of the last N margins
//   -X N       the strictest that limit may be
//   -o NAME=V  an engine option, e.g. -o -beam=1e-60 (repeatable)
#include "app/hear/WavFile.h"
#include "speech/sphinx/SphinxDecoder.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <iostream>
#include <string>
#include <vector>

int main(int argc, char** argv) {
    auto options = qm::sphinx::defaultDecoderOptions();
    int i = 1;
    for (; i + 1 < argc && argv[i][0] == '-' && argv[i][1] != '\0' && argv[i][2] == '\0'; i += 2) {
        const std::string opt = argv[i], val = argv[i + 1];
        if (opt == "-r") {
            options.rivalPhoneProb = std::stod(val);
        } else if (opt == "-m") {
            options.minMarginPerFrame = std::stoi(val);
        } else if (opt == "-1") {
            options.minMarginOneWord = std::stoi(val);
        } else if (opt == "-q") {
            options.minQuietBeforeFrames = std::stoi(val);
        } else if (opt == "-B") {
            options.maxFramesBeforeWords = std::stoi(val);
        } else if (opt == "-A") {
            options.maxFramesAfterWords = std::stoi(val);
        } else if (opt == "-w") {
            options.minWordMargin = std::stoi(val);
        } else if (opt == "-L") {
            options.loudestDb = std::stod(val);
        } else if (opt == "-N") {
            options.noiseBelowDb = std::stod(val);
        } else if (opt == "-a") {
            options.noiseReduction.overSubtraction = std::stod(val);
        } else if (opt == "-b") {
            options.noiseReduction.floorShare = std::stod(val);
        } else if (opt == "-Q") {
            options.minLeadScorePerFrame = std::stoi(val);
        } else if (opt == "-P") {
            options.minPauseScorePerFrame = std::stoi(val);
        } else if (opt == "-T") {
            options.minMarginSoonAfterTalk = std::stoi(val);
        } else if (opt == "-D") {
            options.decideAfterSilenceMs = std::stoi(val);
        } else if (opt == "-S") {
            options.endSilenceMs = std::stoi(val);
        } else if (opt == "-R") {
            options.minMarginFromStart = std::stoi(val);
        } else if (opt == "-M") {
            options.minFramesBeforeWords = std::stoi(val);
        } else if (opt == "-s") {
            options.stillSpeechDb = std::stod(val);
        } else if (opt == "-c") {
            options.closeCallWithin = std::stoi(val);
        } else if (opt == "-F") {
            options.sharedScoreFrames = std::stoi(val);
        } else if (opt == "-e") {
            options.minEdgeFramesPerPhone = std::stod(val);
        } else if (opt == "-u") {
            options.usualMargin.after = std::stoul(val);
        } else if (opt == "-U") {
            options.usualMargin.below = std::stoi(val);
        } else if (opt == "-W") {
            options.usualMargin.of = std::stoul(val);
        } else if (opt == "-X") {
            options.usualMargin.strictest = std::stoi(val);
        } else if (opt == "-G") {
            options.faintSpeechDb = std::stod(val);
        } else if (opt == "-H") {
            options.faintEndSilenceMs = std::stoi(val);
        } else if (opt == "-i") {
            options.minInnerFramesPerPhone = std::stod(val);
        } else if (opt == "-o" && val.find('=') != std::string::npos) {
            const auto eq = val.find('=');
            options.engineArgs.emplace_back(val.substr(0, eq), val.substr(eq + 1));
        } else {
            std::cerr << "unknown option " << opt << "\n";
            return 2;
        }
    }
    if (argc - i < 2) {
        std::cerr << "usage: quillmere-speech-score [-r P] [-m N] [-e F] [-o NAME=V]... PHRASES.txt FILE.wav...\n";
        return 2;
    }
    std::vector<std::string> phrases;
    std::ifstream in(argv[i]);
    if (!in) {
        std::cerr << argv[i] << ": cannot open\n";
        return 2;
    }
    for (std::string line; std::getline(in, line);)
        if (!line.empty()) phrases.push_back(line);
    try {
        qm::sphinx::SphinxDecoder dec(phrases, options);
        for (const auto& w : dec.unknownWords()) std::cerr << "unknown word: " << w << "\n";
        for (++i; i < argc; ++i) {
            const std::string file = argv[i];
            const auto pcm = qm::hear::readWav16kMono(file);
            const std::uint64_t base = dec.samplesConsumed();
            std::vector<qm::sphinx::UtteranceReport> reports;
            dec.onUtterance([&](const qm::sphinx::UtteranceReport& r) { reports.push_back(r); });
            // Fed as the microphone delivers it, 20 ms at a time, to one
            // consumer: a buffer waits while the decoder is still busy. The
            // time at which a report leaves the decoder, on the clock of the
            // audio, is printed last.
            constexpr std::size_t kBuffer = 320;
            double busyMs = 0;
            auto print = [&](double atMs) {
                for (const auto& r : reports) {
                    std::string segs;
                    for (const auto& g : r.segments)
                        segs += g.word + ':' + std::to_string(g.startFrame) + '-' + std::to_string(g.endFrame) + ':' +
                                std::to_string(g.ascr) + ' ';
                    std::printf("%s\t%llu\t%d\t%d\t%d\t%d\t%d\t%d\t%s\t%s\t%d\t%d\t%d\t%d\t%s\t%d\t%.0f\n", file.c_str(),
                                static_cast<unsigned long long>((r.endSample - base) / 16), r.accepted ? 1 : 0,
                                r.frames, r.phraseFrames, r.phraseAscrPerFrame, r.phones, r.posterior, r.words.c_str(),
                                segs.c_str(), r.marginPerFrame, r.quietBefore, r.measuredAgain ? 1 : 0, r.worstWordMargin,
                                *r.rejectedBy ? r.rejectedBy : "-", r.loopAscrPerFrame, atMs);
                }
                reports.clear();
            };
            for (std::size_t at = 0; at < pcm.size(); at += kBuffer) {
                const std::size_t n = std::min(kBuffer, pcm.size() - at);
                const double arrival = double(at + n) / 16.0;
                const auto t0 = std::chrono::steady_clock::now();
                dec.process(pcm.data() + at, n);
                const double took = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - t0).count();
                busyMs = std::max(arrival, busyMs) + took;
                print(busyMs);
            }
            dec.finish();
            print(busyMs);
        }
    } catch (const std::exception& e) {
        std::cerr << e.what() << "\n";
        return 2;
    }
    return 0;
}
