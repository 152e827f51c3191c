#include <cmath>

#include "Assets.h"

namespace assetgen {
namespace {

// A periodic noise bed: a one-pole band-pass run twice round the loop so the
// filter's state at the end is exactly the state it starts from.
std::vector<float> LoopedFilteredNoise(int n, float lowHz, float highHz, int sampleRate,
                                       std::uint32_t seed) {
    Rng rng(seed);
    std::vector<float> white(n);
    for (float& s : white) s = rng.Range(-1.0f, 1.0f);
    const float aLow = std::exp(-2.0f * kPi * highHz / sampleRate);
    const float aHigh = std::exp(-2.0f * kPi * lowHz / sampleRate);
    std::vector<float> out(n);
    float lp = 0, lp2 = 0, hpState = 0;
    for (int pass = 0; pass < 3; ++pass) {
        for (int i = 0; i < n; ++i) {
            lp = aLow * lp + (1 - aLow) * white[i];
            lp2 = aLow * lp2 + (1 - aLow) * lp;
            hpState = aHigh * hpState + (1 - aHigh) * lp2;
            out[i] = lp2 - hpState;
        }
    }
    return out;
}

}  // namespace

std::vector<std::int16_t> SynthesiseAmbience(int sampleRate, float seconds) {
    const int n = static_cast<int>(sampleRate * seconds);
    const double loop = static_cast<double>(n) / sampleRate;
    std::vector<float> mix(n, 0.0f);

    // Every periodic part repeats a whole number of times per loop.
    auto cycles = [&](double hz) { return std::round(hz * loop) / loop; };
    const double drone[] = {cycles(55.0), cycles(82.5), cycles(110.2), cycles(164.6)};
    const float droneAmp[] = {0.30f, 0.12f, 0.07f, 0.03f};

    const std::vector<float> rumble = LoopedFilteredNoise(n, 40.0f, 300.0f, sampleRate, 11);
    const std::vector<float> hiss = LoopedFilteredNoise(n, 400.0f, 1800.0f, sampleRate, 23);

    for (int i = 0; i < n; ++i) {
        const double t = static_cast<double>(i) / sampleRate;
        const double phase = t / loop;  // 0..1 over the loop
        float s = 0;
        const float breathe = 0.8f + 0.2f * static_cast<float>(std::sin(2 * kPi * phase));
        for (int k = 0; k < 4; ++k)
            s += droneAmp[k] * breathe * static_cast<float>(std::sin(2 * kPi * drone[k] * t + k));
        // Swells of water: two gentle surges per loop.
        const float swell = 0.5f + 0.5f * static_cast<float>(std::sin(2 * kPi * 2 * phase - 1.2));
        s += 2.2f * rumble[i] * (0.5f + 0.5f * swell);
        s += 3.0f * hiss[i] * (0.15f + 0.35f * swell * swell);
        mix[i] = s;
    }

    // Bubbles: a short tone that rises in pitch as it decays, the sound of a
    // bubble leaving the stone. Tails that run past the end wrap to the start.
    Rng rng(7);
    const int bubbles = static_cast<int>(seconds * 2.2f);
    for (int b = 0; b < bubbles; ++b) {
        const int start = static_cast<int>(rng.Next() * n);
        const float baseHz = rng.Range(500.0f, 1300.0f);
        const float amp = rng.Range(0.10f, 0.22f);
        const float decay = rng.Range(0.025f, 0.06f);
        const int length = static_cast<int>(decay * 6 * sampleRate);
        double ph = 0;
        for (int k = 0; k < length; ++k) {
            const float t = static_cast<float>(k) / sampleRate;
            const float hz = baseHz * (1.0f + 2.5f * t / decay * 0.1f);
            ph += 2 * kPi * hz / sampleRate;
            const float attack = Clamp01(t / 0.002f);
            mix[(start + k) % n] += amp * attack * std::exp(-t / decay) * static_cast<float>(std::sin(ph));
        }
    }

    float peak = 1e-6f;
    for (float s : mix) peak = std::max(peak, std::fabs(s));
    const float gain = 0.5f / peak;  // about -6 dB, gentle
    std::vector<std::int16_t> out(n);
    for (int i = 0; i < n; ++i) out[i] = static_cast<std::int16_t>(std::lround(mix[i] * gain * 32767.0f));
    return out;
}

}  // namespace assetgen
