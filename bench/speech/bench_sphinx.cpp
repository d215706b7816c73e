// Speech engine costs: reloading the grammar (Deactivate, GrammarFromFile,
// Activate) at several list sizes, over a hundred words or over tens of
// thousands, and listening to a stream of speech and pauses with 30 phrases,
// reported as a real-time factor of one core.
#include "app/hear/WavFile.h"
#include "speech/sphinx/SphinxRecognizer.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace {

// Two- and three-word phrases of real dictionary words, all distinct.
std::string writeWords(std::size_t count) {
    static const char* a[] = {"open", "close", "start", "stop", "show", "hide", "play", "pause", "next", "previous",
                              "save", "print", "find", "move", "copy", "paste", "delete", "scroll", "switch", "mute",
                              "send", "read", "write", "call", "check", "lock", "turn", "raise", "lower", "clear"};
    static const char* b[] = {"window", "file", "page", "music", "mail", "note", "tab", "folder", "picture", "song",
                              "letter", "message", "screen", "desktop", "document", "browser", "video", "volume",
                              "light", "timer", "alarm", "calendar", "contact", "photo", "map", "game", "chat",
                              "report", "table", "list"};
    static const char* c[] = {"now", "again", "today", "later", "please", "quickly", "slowly", "first", "last",
                              "here", "there", "up", "down", "left", "right", "back", "forward", "all", "one",
                              "two", "three", "four", "five", "six", "seven", "eight", "nine", "ten", "more", "less",
                              "on", "off", "in", "out", "high", "low"};
    const std::string path = (std::filesystem::temp_directory_path() / ("qm_bench_words_" + std::to_string(count) + ".txt")).string();
    std::ofstream out(path, std::ios::binary);
    out << "[Grammar]\r\n";
    std::size_t n = 0;
    for (std::size_t i = 0; n < count; ++i) {
        const auto ia = i % 30, ib = (i / 30) % 30, ic = i / 900;
        out << "<start>=" << a[ia] << ' ' << b[ib];
        if (ic > 0) out << ' ' << c[(ic - 1) % 36] << (ic > 36 ? std::string(" ") + c[(ic - 1) / 36 % 36] : "");
        out << "\r\n";
        ++n;
    }
    return path;
}

void BM_GrammarReload(benchmark::State& state) {
    const std::string words = writeWords(static_cast<std::size_t>(state.range(0)));
    qm::SphinxRecognizer rec;
    rec.GrammarFromFile(words);  // the model loads once, outside the timing
    for (auto _ : state) {
        rec.Deactivate();
        rec.GrammarFromFile(words);
        rec.Activate();
    }
    state.counters["phrases"] = static_cast<double>(state.range(0));
}
BENCHMARK(BM_GrammarReload)->Arg(100)->Arg(1000)->Arg(32767)->Unit(benchmark::kMillisecond)->MeasureProcessCPUTime()->UseRealTime();

// Every 3rd plain word of the dictionary, 40,009 of them (a count that does
// not let the word windows below repeat).
const std::vector<std::string>& dictionaryWords() {
    static const std::vector<std::string> words = [] {
        std::vector<std::string> all;
        std::ifstream dict(std::string(qm::SphinxRecognizer::kDefaultModelDir) + "/cmudict-en-us.dict");
        std::string line;
        for (std::size_t n = 0; std::getline(dict, line); ++n) {
            const std::string w = line.substr(0, line.find(' '));
            if (n % 3 == 0 && !w.empty() && w.find_first_not_of("abcdefghijklmnopqrstuvwxyz") == std::string::npos)
                all.push_back(w);
            if (all.size() == 40009) break;
        }
        return all;
    }();
    return words;
}

// Phrases of two and three words taken in turn from the word list, so that
// 32,767 phrases use every one of its 40,009 words about twice.
std::string writeManyWords(std::size_t count) {
    const auto& words = dictionaryWords();
    const std::string path = (std::filesystem::temp_directory_path() / ("qm_bench_vocab_" + std::to_string(count) + ".txt")).string();
    std::ofstream out(path, std::ios::binary);
    out << "[Grammar]\r\n";
    std::size_t slot = 0;
    for (std::size_t i = 0; i < count; ++i) {
        out << "<start>=";
        const std::size_t len = 2 + i % 2;
        for (std::size_t k = 0; k < len; ++k, ++slot) out << (k ? " " : "") << words[slot % words.size()];
        out << "\r\n";
    }
    return path;
}

// Peak resident memory since the last reset, in MB.
void resetPeakMemory() { std::ofstream("/proc/self/clear_refs") << "5"; }
double peakMemoryMb() {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line))
        if (line.rfind("VmHWM:", 0) == 0) return std::stod(line.substr(6)) / 1024.0;
    return 0;
}

void BM_GrammarReloadLargeVocabulary(benchmark::State& state) {
    const std::string words = writeManyWords(static_cast<std::size_t>(state.range(0)));
    qm::SphinxRecognizer rec;
    rec.GrammarFromFile(words);
    resetPeakMemory();
    for (auto _ : state) {
        rec.Deactivate();
        rec.GrammarFromFile(words);
        rec.Activate();
    }
    state.counters["phrases"] = static_cast<double>(state.range(0));
    state.counters["peak_MB"] = peakMemoryMb();
    if (!rec.unheardPhrases().empty()) state.SkipWithError("some phrases were left out");
}
BENCHMARK(BM_GrammarReloadLargeVocabulary)->Arg(100)->Arg(1000)->Arg(32767)->Unit(benchmark::kMillisecond)->MeasureProcessCPUTime()->UseRealTime();

// QM_BENCH_STREAM names a 16 kHz mono WAV of speech with pauses (the bench
// script makes one); real-time factor = CPU seconds / audio seconds.
void BM_ListenRealTimeFactor(benchmark::State& state) {
    const char* stream = std::getenv("QM_BENCH_STREAM");
    if (!stream) {
        state.SkipWithError("set QM_BENCH_STREAM to a 16 kHz mono WAV");
        return;
    }
    const auto pcm = qm::hear::readWav16kMono(stream);
    const std::string words = writeWords(30);
    qm::SphinxRecognizer rec;
    rec.GrammarFromFile(words);
    rec.Activate();
    for (auto _ : state) {
        for (std::size_t at = 0; at < pcm.size(); at += 1600)
            rec.feed(pcm.data() + at, std::min<std::size_t>(1600, pcm.size() - at));
        rec.finish();
    }
    state.counters["audio_s"] = static_cast<double>(pcm.size()) / 16000.0;
    state.counters["rtf"] = benchmark::Counter(static_cast<double>(pcm.size()) / 16000.0,
                                               benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}
BENCHMARK(BM_ListenRealTimeFactor)->Unit(benchmark::kMillisecond)->MeasureProcessCPUTime();

}  // namespace

BENCHMARK_MAIN();
