#include "WavFile.h"

#include <fstream>
#include <iterator>

namespace qm::hear {

namespace {

std::uint32_t le32(const unsigned char* p) {
    return static_cast<std::uint32_t>(p[0]) | (static_cast<std::uint32_t>(p[1]) << 8) |
           (static_cast<std::uint32_t>(p[2]) << 16) | (static_cast<std::uint32_t>(p[3]) << 24);
}
std::uint16_t le16(const unsigned char* p) {
    return static_cast<std::uint16_t>(p[0] | (p[1] << 8));
}

}  // namespace

std::string describe(const WavFormat& f) {
    std::string s = std::to_string(f.sampleRate);
    s.append(" Hz ");
    if (f.channels == 1) s += "mono";
    else if (f.channels == 2) s += "stereo";
    else s.append(std::to_string(f.channels)).append("-channel");
    s.append(" ").append(std::to_string(f.bitsPerSample)).append("-bit");
    switch (f.encoding) {
    case 1: break;
    case 3: s += " float"; break;
    case 6: s += " A-law"; break;
    case 7: s += " mu-law"; break;
    default: s.append(" (encoding ").append(std::to_string(f.encoding)).append(")"); break;
    }
    return s;
}

std::vector<std::int16_t> parseWav16kMono(const std::vector<unsigned char>& bytes, WavFormat* found) {
    const std::size_t size = bytes.size();
    const unsigned char* b = bytes.data();
    if (size < 12 || std::string(bytes.begin(), bytes.begin() + 4) != "RIFF" ||
        std::string(bytes.begin() + 8, bytes.begin() + 12) != "WAVE")
        throw WavError("not a RIFF/WAVE file");

    bool haveFormat = false;
    WavFormat f;
    std::size_t pos = 12;
    while (pos + 8 <= size) {
        const std::string id(bytes.begin() + static_cast<std::ptrdiff_t>(pos), bytes.begin() + static_cast<std::ptrdiff_t>(pos + 4));
        const std::uint32_t len = le32(b + pos + 4);
        const std::size_t body = pos + 8;
        const std::size_t avail = size - body;
        if (id == "fmt ") {
            if (len < 16 || avail < 16) throw WavError("format chunk is truncated");
            f.encoding = le16(b + body);
            f.channels = le16(b + body + 2);
            f.sampleRate = le32(b + body + 4);
            f.bitsPerSample = le16(b + body + 14);
            // WAVE_FORMAT_EXTENSIBLE keeps the real encoding in its sub-format.
            if (f.encoding == 0xFFFE && len >= 26 && avail >= 26) f.encoding = le16(b + body + 24);
            haveFormat = true;
            if (found) *found = f;
        } else if (id == "data") {
            if (!haveFormat) throw WavError("data comes before the format chunk");
            if (f.encoding != 1 || f.channels != 1 || f.sampleRate != 16000 || f.bitsPerSample != 16)
                throw WavError("audio is " + describe(f) + "; 16000 Hz mono 16-bit PCM is required");
            // Streamed recordings may leave the length unset (0 or ~0):
            // take what the file holds.
            std::size_t n = len;
            if (n == 0 || n > avail) n = avail;
            std::vector<std::int16_t> pcm(n / 2);
            for (std::size_t i = 0; i < pcm.size(); ++i) pcm[i] = static_cast<std::int16_t>(le16(b + body + 2 * i));
            return pcm;
        }
        if (len > avail) break;
        pos = body + len + (len & 1u);
    }
    if (!haveFormat) throw WavError("no format chunk");
    throw WavError("no data chunk");
}

std::vector<std::int16_t> readWav16kMono(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) throw WavError(path + ": cannot open file");
    std::vector<unsigned char> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (in.bad()) throw WavError(path + ": read error");
    try {
        return parseWav16kMono(bytes);
    } catch (const WavError& e) {
        throw WavError(path + ": " + e.what());
    }
}

}  // namespace qm::hear
