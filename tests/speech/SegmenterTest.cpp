// Where the segmenter finds speech does not depend on what came before it
// (digital silence, a noise floor) or on the input level; and the level
// normalisation makes the same stretch at any gain into the same audio.
#include "speech/sphinx/DictionaryFile.h"
#include "speech/sphinx/NoiseReduction.h"
#include "speech/sphinx/SpeechSegmenter.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

namespace {

using qm::sphinx::SpeechSegmenter;
using Pcm = std::vector<std::int16_t>;

constexpr int kRate = 16000;

// A vowel-like burst: 200 Hz and 800 Hz, peak at dBFS, with a quiet gap in
// the middle shorter than the closing silence.
Pcm word(double dbfs, double seconds) {
    Pcm out(static_cast<std::size_t>(seconds * kRate));
    const double peak = 32767.0 * std::pow(10.0, dbfs / 20.0);
    for (std::size_t i = 0; i < out.size(); ++i) {
        const double t = double(i) / kRate;
        const bool gap = t > seconds * 0.45 && t < seconds * 0.45 + 0.08;
        out[i] = gap ? 0 : static_cast<std::int16_t>(peak * 0.5 * (std::sin(2 * M_PI * 200 * t) + std::sin(2 * M_PI * 800 * t)));
    }
    return out;
}

Pcm zeros(double seconds) { return Pcm(static_cast<std::size_t>(seconds * kRate), 0); }

// White noise of RMS dbfs added to pcm.
void addNoise(Pcm& pcm, double dbfs, unsigned seed) {
    std::mt19937 gen(seed);
    std::normal_distribution<double> n(0.0, 32768.0 * std::pow(10.0, dbfs / 20.0));
    for (auto& s : pcm) s = static_cast<std::int16_t>(std::clamp(double(s) + n(gen), -32768.0, 32767.0));
}

// Rumble (traffic, a fan's hum) of RMS dbfs added to pcm: white noise
// through a leaky integrator, so that its power falls 6 dB an octave.
void addRumble(Pcm& pcm, double dbfs, unsigned seed) {
    std::mt19937 gen(seed);
    std::normal_distribution<double> n(0.0, 1.0);
    std::vector<double> brown(pcm.size());
    double y = 0, sum = 0;
    for (auto& b : brown) {
        y = 0.999 * y + n(gen);
        b = y;
        sum += y * y;
    }
    const double gain = 32768.0 * std::pow(10.0, dbfs / 20.0) / std::sqrt(sum / double(brown.size()));
    for (std::size_t i = 0; i < pcm.size(); ++i)
        pcm[i] = static_cast<std::int16_t>(std::clamp(double(pcm[i]) + gain * brown[i], -32768.0, 32767.0));
}

struct Stretch {
    std::size_t startSample, endSample, samples;
};

// Feeds pcm in 100 ms buffers, as the microphone delivers; the stretches found.
std::vector<Stretch> stretches(SpeechSegmenter& seg, const Pcm& pcm) {
    std::vector<Stretch> out;
    std::size_t at = 0, started = 0;
    for (; at < pcm.size(); at += 1600) {
        const std::size_t n = std::min<std::size_t>(1600, pcm.size() - at);
        // Events are placed at the end of the buffer that raised them.
        seg.process(pcm.data() + at, n, [&] { started = at + n; },
                    [&](const Pcm& audio) { out.push_back({started, at + n, audio.size()}); });
    }
    seg.finish([&](const Pcm& audio) { out.push_back({started, at, audio.size()}); });
    return out;
}

Pcm concat(std::initializer_list<Pcm> parts) {
    Pcm out;
    for (const auto& p : parts) out.insert(out.end(), p.begin(), p.end());
    return out;
}

TEST(Segmenter, OneStretchPerWordWhateverCameBeforeAndWhateverTheLevel) {
    struct Case {
        const char* name;
        double lead;     // seconds of zeros first
        double level;    // dBFS of the words
        double noiseDb;  // noise floor RMS, 0 for none
        double noiseFrom = 0;  // seconds: where the noise floor sets in
        bool rumble = false;   // the floor is rumble, not white noise
    } cases[] = {
        {"fresh, loud", 0.5, -3, 0},     {"fresh, quiet", 0.5, -30, 0},
        {"after a minute of zeros, loud", 60, -3, 0},
        {"after a minute of zeros, quiet", 60, -30, 0},
        {"noise floor, quiet", 60, -30, -60}, {"noise floor, loud", 60, -3, -60},
        {"noise floor setting in after the zeros, quiet", 60, -30, -60, 59.5},
        {"noise floor setting in after the zeros, loud", 60, -3, -60, 59.5},
        // Rumble 15 dB under the words' RMS: its level swings widely from one
        // 10 ms frame to the next, and none of it lies where the voice is.
        {"rumble, quiet", 60, -30, -51, 0, true}, {"rumble, loud", 60, -3, -24, 0, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Pcm pcm = concat({zeros(c.lead), word(c.level, 0.6), zeros(1.0), word(c.level, 1.2), zeros(1.0)});
        if (c.noiseDb < 0) {
            Pcm tail(pcm.begin() + long(c.noiseFrom * kRate), pcm.end());
            if (c.rumble) addRumble(tail, c.noiseDb, 7);
            else addNoise(tail, c.noiseDb, 7);
            std::copy(tail.begin(), tail.end(), pcm.begin() + long(c.noiseFrom * kRate));
        }
        SpeechSegmenter seg;
        const auto found = stretches(seg, pcm);
        ASSERT_EQ(found.size(), 2u);
        const std::size_t firstEnd = std::size_t((c.lead + 0.6) * kRate);
        const std::size_t secondStart = std::size_t((c.lead + 1.6) * kRate);
        // Each stretch closes after its word and before the next begins,
        // and holds its whole word.
        EXPECT_GT(found[0].endSample, firstEnd);
        EXPECT_LT(found[0].endSample, secondStart);
        EXPECT_GT(found[1].endSample, secondStart + std::size_t(1.2 * kRate));
        EXPECT_GE(found[0].samples, std::size_t(0.6 * kRate));
        EXPECT_GE(found[1].samples, std::size_t(1.2 * kRate));
    }
}

// A word's quiet ending (a released consonant, 33 dB under the word's
// peak) belongs to its stretch, however softly the word was said: the
// stretch closes only after the ending has been followed by the closing
// quiet.
TEST(Segmenter, AQuietWordEndingAfterDigitalSilenceIsKeptAtAnyLevel) {
    for (double level : {-3.0, -20.0, -30.0}) {
        SCOPED_TRACE(level);
        Pcm ending(static_cast<std::size_t>(0.15 * kRate));
        const double peak = 32767.0 * std::pow(10.0, (level - 33) / 20.0);
        for (std::size_t i = 0; i < ending.size(); ++i)
            ending[i] = static_cast<std::int16_t>(peak * std::sin(2 * M_PI * 3000 * double(i) / kRate));
        const Pcm pcm = concat({zeros(60), word(level, 0.6), ending, zeros(1.0)});
        SpeechSegmenter seg;
        const auto found = stretches(seg, pcm);
        ASSERT_EQ(found.size(), 1u);
        const double closingQuiet = seg.endSilenceFrames() * 0.01;
        EXPECT_GE(found[0].endSample, std::size_t((60 + 0.6 + 0.15 + closingQuiet) * kRate));
    }
}

TEST(Segmenter, SilenceAndSteadyNoiseAloneAreNoSpeech) {
    for (double noiseDb : {0.0, -60.0, -40.0}) {
        SCOPED_TRACE(noiseDb);
        Pcm pcm = zeros(30);
        if (noiseDb < 0) addNoise(pcm, noiseDb, 3);
        SpeechSegmenter seg;
        EXPECT_TRUE(stretches(seg, pcm).empty());
    }
}

// A fan switched on next to the microphone: noise 40 dB over the quiet
// before it, at once. It opens a stretch, but one longer than any phrase
// (maxFrames) cannot be speech to hear, and there the floor takes the
// noise's level at once: a word 7 s after the onset is found on its own.
TEST(Segmenter, ANoiseThatSetsInAtOnceIsLearntOnceItOutlastsAnyPhrase) {
    Pcm pcm = concat({zeros(12), word(-10, 1.2), zeros(3.0)});
    Pcm tail(pcm.begin() + 5 * kRate, pcm.end());
    addNoise(tail, -30, 5);
    std::copy(tail.begin(), tail.end(), pcm.begin() + 5 * kRate);
    SpeechSegmenter::Options options;
    options.maxFrames = 500;
    SpeechSegmenter seg(options);
    const auto found = stretches(seg, pcm);
    ASSERT_EQ(found.size(), 2u);
    EXPECT_LT(found[0].endSample, std::size_t(12 * kRate)) << "the noise held the stretch open";
    EXPECT_GT(found[1].endSample, std::size_t(13.2 * kRate));
    EXPECT_GE(found[1].samples, std::size_t(1.2 * kRate));
    EXPECT_LT(found[1].samples, std::size_t(2.5 * kRate)) << "the word's stretch holds the word, not the noise";
}

// Two words 0.25 s apart over a noise floor. Said faintly, the pause sinks
// into the floor, and closing there would cut the phrase in two: faint
// speech waits longer. Said clearly, the usual wait stands, and with it the
// quick verdict.
TEST(Segmenter, FaintSpeechWaitsLongerBeforeAPauseEndsIt) {
    for (const double level : {-30.0, -3.0}) {
        SCOPED_TRACE(level);
        Pcm pcm = concat({zeros(2), word(level, 0.4), zeros(0.25), word(level, 0.5), zeros(1.5)});
        addNoise(pcm, -55, 7);
        SpeechSegmenter::Options options;
        options.faintDb = 30;
        options.faintEndSilenceFrames = 30;
        SpeechSegmenter seg(options);
        EXPECT_EQ(stretches(seg, pcm).size(), level < -20 ? 1u : 2u);
    }
}

TEST(Segmenter, ResetForgetsAStretchInProgress) {
    SpeechSegmenter seg;
    const Pcm w = word(-10, 1.0);
    int ended = 0;
    seg.process(w.data(), w.size(), [] {}, [&](const Pcm&) { ++ended; });
    EXPECT_TRUE(seg.inSpeech());
    seg.reset();
    const Pcm quiet = zeros(1.0);
    seg.process(quiet.data(), quiet.size(), [] {}, [&](const Pcm&) { ++ended; });
    seg.finish([&](const Pcm&) { ++ended; });
    EXPECT_EQ(ended, 0);
}

TEST(Segmenter, LevelNormalisationMakesGainIrrelevant) {
    // The same stretch at -3 and -30 dBFS, digital silence around it,
    // becomes nearly the same audio; and no 10 ms of exact zeros is left.
    Pcm loud = concat({zeros(0.3), word(-3, 0.8), zeros(0.3)});
    Pcm quiet = loud;
    for (auto& s : quiet) s = static_cast<std::int16_t>(std::lround(s * std::pow(10.0, -27.0 / 20.0)));
    qm::sphinx::normaliseLevel(loud, -15, 55);
    qm::sphinx::normaliseLevel(quiet, -15, 55);
    double diff = 0, energy = 0;
    for (std::size_t i = 0; i < loud.size(); ++i) {
        diff += std::pow(double(loud[i]) - quiet[i], 2);
        energy += double(loud[i]) * loud[i];
    }
    EXPECT_LT(10 * std::log10(diff / energy), -35.0);  // differences 35 dB down
    for (std::size_t at = 0; at + 160 <= quiet.size(); at += 160)
        EXPECT_FALSE(std::all_of(quiet.begin() + long(at), quiet.begin() + long(at + 160), [](std::int16_t s) { return s == 0; }))
            << "silent frame at " << at;
}

double rmsDb(const Pcm& pcm, std::size_t from, std::size_t to) {
    double sum = 0;
    for (std::size_t i = from; i < to; ++i) sum += double(pcm[i]) * pcm[i];
    return 10 * std::log10(sum / double(to - from) / (32768.0 * 32768.0));
}

TEST(NoiseReduction, TakesOutTheFloorLearntFromTheOpeningQuietAndKeepsTheVoice) {
    // 0.25 s of quiet, a word 30 dB over a white floor, quiet after it.
    const Pcm clean = concat({zeros(0.25), word(-20, 0.8), zeros(0.5)});
    Pcm noisy = clean;
    addNoise(noisy, -55, 11);
    const std::size_t lead = 4000, wordEnd = lead + 12800;
    Pcm reduced = noisy;
    qm::sphinx::reduceNoise(reduced, lead);
    // The floor drops by more than 6 dB, in the quiet after the word too.
    EXPECT_LT(rmsDb(reduced, wordEnd + 1600, reduced.size()), rmsDb(noisy, wordEnd + 1600, noisy.size()) - 6);
    // The word keeps its level and is closer to the clean word than before.
    EXPECT_NEAR(rmsDb(reduced, lead, wordEnd), rmsDb(clean, lead, wordEnd), 0.5);
    Pcm before(clean.size()), after(clean.size());
    for (std::size_t i = 0; i < clean.size(); ++i) {
        before[i] = static_cast<std::int16_t>(noisy[i] - clean[i]);
        after[i] = static_cast<std::int16_t>(reduced[i] - clean[i]);
    }
    EXPECT_LT(rmsDb(after, lead, wordEnd), rmsDb(before, lead, wordEnd));
}

TEST(NoiseReduction, LeavesAudioAloneWithNothingToLearnFrom) {
    // Digital silence before the word, or a lead too short to learn from.
    const Pcm silent = concat({zeros(0.25), word(-20, 0.5)});
    Pcm out = silent;
    qm::sphinx::reduceNoise(out, 4000);
    EXPECT_EQ(out, silent);
    Pcm noisy = silent;
    addNoise(noisy, -50, 5);
    out = noisy;
    qm::sphinx::reduceNoise(out, 300);
    EXPECT_EQ(out, noisy);
}

TEST(DictionaryFile, FindsEveryPronunciationWhateverTheFileOrder) {
    const auto path = std::filesystem::temp_directory_path() / "qm_dictionary_file_test.dict";
    // "one(2)" sorts after "one's" byte for byte, yet the file has it first.
    std::ofstream(path) << "a AH\na(2) EY\none W AH N\none(2) HH W AH N\none's W AH N Z\nzoo Z UW\n";
    qm::sphinx::DictionaryFile dict(path.string());
    using Prons = std::vector<std::pair<std::string, std::string>>;
    EXPECT_EQ(dict.lookup("one"), (Prons{{"one", "W AH N"}, {"one(2)", "HH W AH N"}}));
    EXPECT_EQ(dict.lookup("one's"), (Prons{{"one's", "W AH N Z"}}));
    EXPECT_EQ(dict.lookup("zoo"), (Prons{{"zoo", "Z UW"}}));
    EXPECT_TRUE(dict.lookup("on").empty());
    EXPECT_TRUE(dict.lookup("").empty());
    std::filesystem::remove(path);
}

}  // namespace
