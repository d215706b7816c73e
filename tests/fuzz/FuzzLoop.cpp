// Runs the fuzz target where there is no libFuzzer (g++): every seed of a
// corpus as it is, then a fixed number of seeded random mutations of them.
//
//   store_fuzz CORPUS-FOLDER RUNS [SEED]
#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size);

namespace {

const std::vector<std::string> kTokens = {"\r\n", "\n", "\r", "<start>=", "[Grammer]\r\ntype=cfg\r\n[<start>]\r\n",
                                          std::string("\0\xff", 2), "\\", " ", "=", "Open", "String holder"};

std::string mutate(std::string s, const std::vector<std::string>& seeds, std::mt19937& rng)
{
    auto pick = [&](size_t n) { return n ? std::uniform_int_distribution<size_t>(0, n - 1)(rng) : 0; };
    const int steps = 1 + static_cast<int>(pick(8));
    for (int k = 0; k < steps; ++k) {
        switch (pick(6)) {
        case 0: // flip a byte
            if (!s.empty())
                s[pick(s.size())] = static_cast<char>(pick(256));
            break;
        case 1: // a token where line rules live
            s.insert(pick(s.size() + 1), kTokens[pick(kTokens.size())]);
            break;
        case 2: { // cut a range
            size_t at = pick(s.size() + 1);
            s.erase(at, pick(s.size() - at + 1));
            break;
        }
        case 3: { // repeat a range, to grow lists
            size_t at = pick(s.size() + 1), len = pick(std::min<size_t>(s.size() - at, 64) + 1);
            std::string piece = s.substr(at, len);
            for (size_t n = pick(40); n > 0; --n)
                s.insert(at, piece);
            break;
        }
        case 4: { // splice in part of another seed
            const std::string& o = seeds[pick(seeds.size())];
            size_t at = pick(o.size() + 1);
            s.insert(pick(s.size() + 1), o.substr(at, pick(o.size() - at + 1)));
            break;
        }
        default: // a random byte
            s.insert(pick(s.size() + 1), 1, static_cast<char>(pick(256)));
        }
    }
    return s;
}

void run(const std::string& s) { LLVMFuzzerTestOneInput(reinterpret_cast<const uint8_t*>(s.data()), s.size()); }

} // namespace

int main(int argc, char** argv)
{
    if (argc < 3) {
        std::fprintf(stderr, "usage: store_fuzz CORPUS-FOLDER RUNS [SEED]\n");
        return 2;
    }
    std::vector<std::string> seeds;
    for (const auto& e : std::filesystem::directory_iterator(argv[1])) {
        std::ifstream in(e.path(), std::ios::binary);
        seeds.emplace_back(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }
    if (seeds.empty()) {
        std::fprintf(stderr, "store_fuzz: no seeds in %s\n", argv[1]);
        return 2;
    }
    std::sort(seeds.begin(), seeds.end());
    const long runs = std::atol(argv[2]);
    const unsigned seed = argc > 3 ? static_cast<unsigned>(std::atol(argv[3])) : 1;
    std::mt19937 rng(seed);
    const auto t0 = std::chrono::steady_clock::now();
    for (const auto& s : seeds)
        run(s);
    for (long i = 0; i < runs; ++i)
        run(mutate(seeds[rng() % seeds.size()], seeds, rng));
    const double secs = std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
    std::printf("%zu seeds and %ld mutations (seed %u) in %.1f s: no fault\n", seeds.size(), runs, seed, secs);
    return 0;
}
