// The WAV reader: 16 kHz mono 16-bit PCM in, anything else refused with a
// message that says what the file holds.
#include "app/hear/WavFile.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace {

using qm::hear::parseWav16kMono;
using qm::hear::WavError;
using Bytes = std::vector<unsigned char>;

void put16(Bytes& b, unsigned v) {
    b.push_back(static_cast<unsigned char>(v & 0xff));
    b.push_back(static_cast<unsigned char>((v >> 8) & 0xff));
}
void put32(Bytes& b, std::uint32_t v) {
    put16(b, v & 0xffff);
    put16(b, v >> 16);
}
void putId(Bytes& b, const char* id) { b.insert(b.end(), id, id + 4); }

struct Format {
    unsigned encoding = 1, channels = 1;
    std::uint32_t rate = 16000;
    unsigned bits = 16;
};

Bytes fmtChunk(const Format& f, unsigned subEncoding = 0) {
    Bytes b;
    putId(b, "fmt ");
    put32(b, subEncoding ? 40 : 16);
    put16(b, f.encoding);
    put16(b, f.channels);
    put32(b, f.rate);
    put32(b, f.rate * f.channels * f.bits / 8);
    put16(b, f.channels * f.bits / 8);
    put16(b, f.bits);
    if (subEncoding) {
        put16(b, 22);  // extension size
        put16(b, f.bits);
        put32(b, 0);   // channel mask
        put16(b, subEncoding);
        b.insert(b.end(), 14, 0);  // rest of the sub-format GUID
    }
    return b;
}

Bytes dataChunk(const std::vector<std::int16_t>& samples, std::uint32_t declared = UINT32_MAX) {
    Bytes b;
    putId(b, "data");
    put32(b, declared == UINT32_MAX ? static_cast<std::uint32_t>(samples.size() * 2) : declared);
    for (auto s : samples) put16(b, static_cast<std::uint16_t>(s));
    return b;
}

Bytes riff(const std::vector<Bytes>& chunks) {
    Bytes body;
    putId(body, "WAVE");
    for (const auto& c : chunks) body.insert(body.end(), c.begin(), c.end());
    Bytes b;
    putId(b, "RIFF");
    put32(b, static_cast<std::uint32_t>(body.size()));
    b.insert(b.end(), body.begin(), body.end());
    return b;
}

const std::vector<std::int16_t> kSamples{0, 1, -1, 32767, -32768, 1234};

struct Accepted {
    const char* name;
    Bytes bytes;
    std::vector<std::int16_t> samples;
};

class WavAccepts : public testing::TestWithParam<Accepted> {};

TEST_P(WavAccepts, ReturnsTheSamples) { EXPECT_EQ(parseWav16kMono(GetParam().bytes), GetParam().samples); }

Bytes listChunk() {
    Bytes b;
    putId(b, "LIST");
    put32(b, 3);  // odd length: a pad byte follows
    b.insert(b.end(), {'a', 'b', 'c', 0});
    return b;
}

Bytes truncated(Bytes b, std::size_t drop) {
    b.resize(b.size() - drop);
    return b;
}

INSTANTIATE_TEST_SUITE_P(
    Files, WavAccepts,
    testing::Values(
        Accepted{"plain", riff({fmtChunk({}), dataChunk(kSamples)}), kSamples},
        Accepted{"chunk_before_data_with_pad_byte", riff({fmtChunk({}), listChunk(), dataChunk(kSamples)}), kSamples},
        Accepted{"extensible_pcm", riff({fmtChunk({0xFFFE, 1, 16000, 16}, 1), dataChunk(kSamples)}), kSamples},
        // Streamed recordings leave the length unset: the file's bytes count.
        Accepted{"length_zero", riff({fmtChunk({}), dataChunk(kSamples, 0)}), kSamples},
        Accepted{"length_unset", riff({fmtChunk({}), dataChunk(kSamples, 0xFFFFFFFF)}), kSamples},
        // Cut off inside the data: the whole samples that arrived, no half sample.
        Accepted{"cut_in_data", truncated(riff({fmtChunk({}), dataChunk(kSamples)}), 3),
                 std::vector<std::int16_t>(kSamples.begin(), kSamples.end() - 2)},
        Accepted{"no_samples", riff({fmtChunk({}), dataChunk({})}), {}}),
    [](const testing::TestParamInfo<Accepted>& i) { return std::string(i.param.name); });

struct Refused {
    const char* name;
    Bytes bytes;
    std::string message;  // must appear in the error
};

class WavRefuses : public testing::TestWithParam<Refused> {};

TEST_P(WavRefuses, SaysWhy) {
    try {
        parseWav16kMono(GetParam().bytes);
        ADD_FAILURE() << "accepted";
    } catch (const WavError& e) {
        EXPECT_NE(std::string(e.what()).find(GetParam().message), std::string::npos) << e.what();
    }
}

Bytes text(const char* s) { return Bytes(s, s + std::char_traits<char>::length(s)); }

INSTANTIATE_TEST_SUITE_P(
    Files, WavRefuses,
    testing::Values(
        Refused{"stereo_8k", riff({fmtChunk({1, 2, 8000, 16}), dataChunk(kSamples)}), "audio is 8000 Hz stereo 16-bit;"},
        Refused{"float", riff({fmtChunk({3, 1, 16000, 32}), dataChunk(kSamples)}), "audio is 16000 Hz mono 32-bit float;"},
        Refused{"extensible_float", riff({fmtChunk({0xFFFE, 1, 16000, 32}, 3), dataChunk(kSamples)}),
                "16000 Hz mono 32-bit float;"},
        Refused{"mu_law", riff({fmtChunk({7, 1, 8000, 8}), dataChunk(kSamples)}), "8000 Hz mono 8-bit mu-law;"},
        Refused{"eight_bit", riff({fmtChunk({1, 1, 16000, 8}), dataChunk(kSamples)}), "16000 Hz mono 8-bit;"},
        Refused{"six_channels_44k", riff({fmtChunk({1, 6, 44100, 24}), dataChunk(kSamples)}), "44100 Hz 6-channel 24-bit;"},
        Refused{"unknown_encoding", riff({fmtChunk({2, 1, 16000, 4}), dataChunk(kSamples)}), "(encoding 2)"},
        Refused{"not_riff", text("not a wav file at all"), "not a RIFF/WAVE file"},
        Refused{"empty", {}, "not a RIFF/WAVE file"},
        Refused{"cut_in_header", truncated(riff({fmtChunk({}), dataChunk(kSamples)}), 26), "format chunk is truncated"},
        Refused{"cut_after_format", truncated(riff({fmtChunk({}), dataChunk(kSamples)}), 20), "no data chunk"},
        Refused{"no_format", riff({dataChunk(kSamples)}), "data comes before the format chunk"},
        Refused{"only_header", riff({}), "no format chunk"}),
    [](const testing::TestParamInfo<Refused>& i) { return std::string(i.param.name); });

TEST(WavFile, ErrorsNameTheFile) {
    const auto dir = std::filesystem::temp_directory_path();
    const std::string missing = (dir / "qm_wav_test_missing.wav").string();
    std::filesystem::remove(missing);
    const std::string bad = (dir / "qm_wav_test_stereo.wav").string();
    {
        const Bytes b = riff({fmtChunk({1, 2, 8000, 16}), dataChunk(kSamples)});
        std::ofstream(bad, std::ios::binary).write(reinterpret_cast<const char*>(b.data()), static_cast<std::streamsize>(b.size()));
    }
    for (const auto& [path, message] : {std::pair{missing, std::string("cannot open")}, std::pair{bad, std::string("8000 Hz stereo")}}) {
        try {
            qm::hear::readWav16kMono(path);
            ADD_FAILURE() << path << " accepted";
        } catch (const WavError& e) {
            EXPECT_EQ(std::string(e.what()).rfind(path + ": ", 0), 0u) << e.what();
            EXPECT_NE(std::string(e.what()).find(message), std::string::npos) << e.what();
        }
    }
    std::filesystem::remove(bad);
}

}  // namespace
