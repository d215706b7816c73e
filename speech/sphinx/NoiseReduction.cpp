#include "NoiseReduction.h"

#include <algorithm>
#include <cmath>
#include <complex>

namespace qm::sphinx {

namespace {

constexpr std::size_t kSize = 512;  // 32 ms at 16 kHz
constexpr std::size_t kHop = 128;   // a Hann window overlapping four times sums to a constant
constexpr std::size_t kBins = kSize / 2 + 1;
constexpr double kPi = 3.14159265358979323846;

using Spectrum = std::vector<std::complex<double>>;

// In-place radix-2 FFT of kSize points; inverse without the 1/N.
void fft(Spectrum& a, bool inverse) {
    const std::size_t n = a.size();
    for (std::size_t i = 1, j = 0; i < n; ++i) {
        std::size_t bit = n >> 1;
        for (; j & bit; bit >>= 1) j ^= bit;
        j ^= bit;
        if (i < j) std::swap(a[i], a[j]);
    }
    for (std::size_t len = 2; len <= n; len <<= 1) {
        const double angle = 2 * kPi / double(len) * (inverse ? 1 : -1);
        const std::complex<double> step(std::cos(angle), std::sin(angle));
        for (std::size_t i = 0; i < n; i += len) {
            std::complex<double> w(1);
            for (std::size_t k = 0; k < len / 2; ++k) {
                const auto u = a[i + k], v = a[i + k + len / 2] * w;
                a[i + k] = u + v;
                a[i + k + len / 2] = u - v;
                w *= step;
            }
        }
    }
}

}  // namespace

void reduceNoise(std::vector<std::int16_t>& audio, std::size_t quietSamples, const NoiseReductionOptions& options) {
    if (quietSamples > audio.size()) quietSamples = audio.size();
    if (quietSamples < kSize) return;
    std::vector<double> window(kSize);
    for (std::size_t i = 0; i < kSize; ++i) window[i] = 0.5 - 0.5 * std::cos(2 * kPi * double(i) / double(kSize));

    // Frames start kSize before the audio so that every sample is covered
    // by four windows, the first and last included.
    const std::size_t padded = audio.size() + 2 * kSize;
    const std::size_t frames = (padded - kSize) / kHop + 1;
    auto frameAt = [&](std::size_t f, Spectrum& x) {
        for (std::size_t i = 0; i < kSize; ++i) {
            const std::ptrdiff_t at = std::ptrdiff_t(f * kHop + i) - std::ptrdiff_t(kSize);
            const double s = at >= 0 && std::size_t(at) < audio.size() ? audio[std::size_t(at)] : 0.0;
            x[i] = s * window[i];
        }
        fft(x, false);
    };

    // The noise: the mean power of the quieter half of the windows wholly
    // inside the quiet. The opening quiet can end in the first, softer
    // sounds of the speech; those windows are the louder ones and stay out.
    std::vector<std::vector<double>> powers;
    Spectrum x(kSize);
    for (std::size_t f = kSize / kHop; f * kHop <= quietSamples; ++f) {
        frameAt(f, x);
        std::vector<double> p(kBins);
        for (std::size_t b = 0; b < kBins; ++b) p[b] = std::norm(x[b]);
        powers.push_back(std::move(p));
    }
    if (powers.empty()) return;
    auto total = [](const std::vector<double>& p) {
        double t = 0;
        for (double v : p) t += v;
        return t;
    };
    std::sort(powers.begin(), powers.end(),
              [&](const std::vector<double>& a, const std::vector<double>& b) { return total(a) < total(b); });
    const std::size_t quieter = (powers.size() + 1) / 2;
    std::vector<double> noise(kBins, 0.0);
    for (std::size_t k = 0; k < quieter; ++k)
        for (std::size_t b = 0; b < kBins; ++b) noise[b] += powers[k][b] / double(quieter);
    if (total(noise) <= 0) return;  // digital silence: nothing to take away

    std::vector<double> out(padded, 0.0);
    for (std::size_t f = 0; f < frames; ++f) {
        frameAt(f, x);
        for (std::size_t b = 0; b < kBins; ++b) {
            const double power = std::norm(x[b]);
            const double gain = power > 0 ? std::max(1.0 - options.overSubtraction * noise[b] / power, options.floorShare) : 1.0;
            x[b] *= std::sqrt(gain);
            if (b > 0 && b < kSize / 2) x[kSize - b] = std::conj(x[b]);
        }
        fft(x, true);
        for (std::size_t i = 0; i < kSize; ++i) out[f * kHop + i] += x[i].real() / double(kSize) * window[i];
    }
    // Hann squared, overlapped kSize / kHop times, sums to 3/8 of that.
    const double scale = 1.0 / (0.375 * double(kSize / kHop));
    for (std::size_t i = 0; i < audio.size(); ++i) {
        const double v = std::round(out[i + kSize] * scale);
        audio[i] = static_cast<std::int16_t>(std::clamp(v, -32768.0, 32767.0));
    }
}

}  // namespace qm::sphinx
