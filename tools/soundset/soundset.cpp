// Writes the factory sound set: one sample pack per program name (header
// entries and "Unnamed Program" included) and the WAV files its zones name,
// synthesised procedurally. Deterministic: every random choice comes from a
// fixed seed per program, so the same generator writes the same bytes.
//
// Usage: amber_soundset <sounds folder>

#include "engine/factoryprograms.h"
#include "outputfile.h"
#include "samplepack.pb.h"

#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <iostream>
#include <string>
#include <thread>
#include <vector>

namespace {

constexpr double RATE = 44100.0;
constexpr double PI = 3.14159265358979323846;
constexpr float PEAK = 0.8f; // headroom for the sampler's voice mix

// ---------------------------------------------------------------- basics

struct Rng {
    uint64_t state;
    explicit Rng(uint64_t seed) : state(seed * 0x9E3779B97F4A7C15ull + 0x2545F4914F6CDD1Dull) {}
    uint64_t next() {
        state ^= state >> 12;
        state ^= state << 25;
        state ^= state >> 27;
        return state * 0x2545F4914F6CDD1Dull;
    }
    double uniform() { return static_cast<double>(next() >> 11) * (1.0 / 9007199254740992.0); }
    double range(double lo, double hi) { return lo + (hi - lo) * uniform(); }
    int pick(int count) { return static_cast<int>(uniform() * count) % count; }
    double noise() { return uniform() * 2.0 - 1.0; }
};

double noteHz(double note) {
    return 440.0 * std::pow(2.0, (note - 69.0) / 12.0);
}

struct Audio {
    std::vector<float> left, right;
    explicit Audio(double seconds)
        : left(static_cast<std::size_t>(seconds * RATE)), right(left.size()) {}
    std::size_t frames() const { return left.size(); }
};

// Peak-normalise and fade the last milliseconds: the voice stops at the end
// of the sample, so the sample itself must arrive at silence.
void finish(Audio& audio, double fadeSeconds = 0.01) {
    float peak = 0.0f;
    for (std::size_t i = 0; i < audio.frames(); ++i) {
        peak = std::max({peak, std::fabs(audio.left[i]), std::fabs(audio.right[i])});
    }
    const float gain = peak > 0.0f ? PEAK / peak : 0.0f;
    const auto fade = std::min(audio.frames(), static_cast<std::size_t>(fadeSeconds * RATE));
    for (std::size_t i = 0; i < audio.frames(); ++i) {
        float g = gain;
        const std::size_t fromEnd = audio.frames() - i;
        if (fromEnd <= fade) {
            g *= static_cast<float>(fromEnd - 1) / static_cast<float>(fade);
        }
        audio.left[i] *= g;
        audio.right[i] *= g;
    }
}

// Writes `audio` as a 16-bit stereo WAV file, whole or not at all: a file cut
// short would still claim its full length in its header. False with the
// reason in error.
bool writeWave(const std::string& path, const Audio& audio, std::string& error) {
    std::vector<unsigned char> bytes(44 + audio.frames() * 4);
    auto put32 = [&](std::size_t at, uint32_t v) {
        for (int i = 0; i < 4; ++i) {
            bytes[at + i] = static_cast<unsigned char>(v >> (8 * i));
        }
    };
    auto put16 = [&](std::size_t at, uint16_t v) {
        bytes[at] = static_cast<unsigned char>(v);
        bytes[at + 1] = static_cast<unsigned char>(v >> 8);
    };
    const auto dataSize = static_cast<uint32_t>(audio.frames() * 4);
    std::copy_n("RIFF", 4, bytes.begin());
    put32(4, 36 + dataSize);
    std::copy_n("WAVEfmt ", 8, bytes.begin() + 8);
    put32(16, 16);
    put16(20, 1);
    put16(22, 2);
    put32(24, 44100);
    put32(28, 44100 * 4);
    put16(32, 4);
    put16(34, 16);
    std::copy_n("data", 4, bytes.begin() + 36);
    put32(40, dataSize);
    auto quantise = [](float x) {
        const long v = std::lround(std::clamp(x, -1.0f, 1.0f) * 32767.0f);
        return static_cast<uint16_t>(static_cast<int16_t>(v));
    };
    for (std::size_t i = 0; i < audio.frames(); ++i) {
        put16(44 + i * 4, quantise(audio.left[i]));
        put16(46 + i * 4, quantise(audio.right[i]));
    }
    OutputFile out;
    return out.open(path, error) && out.write(bytes.data(), bytes.size(), error) &&
           out.commit(error);
}

// ---------------------------------------------------------------- DSP parts

// Band-limited step correction for the naive saw and pulse.
double polyBlep(double t, double dt) {
    if (t < dt) {
        t /= dt;
        return t + t - t * t - 1.0;
    }
    if (t > 1.0 - dt) {
        t = (t - 1.0) / dt;
        return t * t + t + t + 1.0;
    }
    return 0.0;
}

struct Osc {
    double phase = 0.0;
    // shape: 0 saw, 1 pulse (width pw), 2 triangle-ish (integrated pulse), 3 sine
    double tick(double hz, int shape, double pw = 0.5) {
        const double dt = std::min(hz / RATE, 0.45);
        double out = 0.0;
        switch (shape) {
        case 0:
            out = 2.0 * phase - 1.0 - polyBlep(phase, dt);
            break;
        case 1:
        case 2: {
            out = (phase < pw ? 1.0 : -1.0) + polyBlep(phase, dt) -
                  polyBlep(std::fmod(phase + 1.0 - pw, 1.0), dt);
            if (shape == 2) {
                tri = tri * 0.995 + out * dt * 4.0;
                out = tri;
            }
            break;
        }
        default:
            out = std::sin(2.0 * PI * phase);
        }
        phase += dt;
        if (phase >= 1.0) {
            phase -= 1.0;
        }
        return out;
    }
    double tri = 0.0;
};

// Chamberlin state-variable filter, oversampled twice for stable high cutoffs.
struct Svf {
    double low = 0.0, band = 0.0;
    double lowpass(double in, double cutoffHz, double q) {
        const double f = 2.0 * std::sin(PI * std::min(cutoffHz, 16000.0) / (2.0 * RATE));
        const double damp = 1.0 / std::max(q, 0.5);
        for (int i = 0; i < 2; ++i) {
            low += f * band;
            const double high = in - low - damp * band;
            band += f * high;
        }
        return low;
    }
    double highpassed(double in, double cutoffHz) {
        lowpass(in, cutoffHz, 0.7);
        return in - low;
    }
};

double expDecay(double t, double seconds) {
    return std::exp(-t / seconds);
}

// ---------------------------------------------------------------- the pack

struct Zone {
    int start, end, root;
    std::string file;
    float a, d, s, r;
};

struct Program {
    std::string name;
    std::vector<Zone> zones;
    std::string error; // why a WAV file could not be written; the program is then given up
};

// Root keys 24 apart, each zone reaching an octave below and 11 keys above,
// so no note of [lo, hi] is transposed by more than an octave.
std::vector<int> rootsFor(int lo, int hi) {
    std::vector<int> roots;
    for (int root = lo + 12; root - 12 <= hi; root += 24) {
        roots.push_back(std::min(root, 127));
    }
    return roots;
}

struct Envelope {
    float a, d, s, r;
};

using Render = std::function<Audio(double hz, Rng& rng)>;

// Writes `audio` as the program's WAV file `file` and adds the zone that
// plays it; on failure records why in program.error instead.
void addZone(Program& program, const std::string& folder, const std::string& file,
             const Audio& audio, int start, int end, int root, Envelope env,
             uint64_t& bytesWritten) {
    if (!writeWave(folder + "/" + file, audio, program.error)) {
        return;
    }
    bytesWritten += 44 + audio.frames() * 4;
    program.zones.push_back({start, end, root, file, env.a, env.d, env.s, env.r});
}

// A pitched program: one sample per root key, rendered by `render`.
void melodic(Program& program, const std::string& stem, int lo, int hi, Envelope env, uint64_t seed,
             const Render& render, const std::string& folder, uint64_t& bytesWritten) {
    for (int root : rootsFor(lo, hi)) {
        if (!program.error.empty()) {
            return;
        }
        Rng rng(seed);
        Audio audio = render(noteHz(root), rng);
        finish(audio);
        addZone(program, folder, stem + "-" + std::to_string(root) + ".wav", audio,
                std::max(lo, root - 12), std::min(hi, root + 11), root, env, bytesWritten);
    }
}

// ---------------------------------------------------------------- voices

Audio lead(double hz, Rng& rng, int variant) {
    const int shapeA = variant % 3;
    const int shapeB = (variant / 3) % 4;
    const double detune = rng.range(0.002, 0.012);
    const double cutoffMul = rng.range(3.0, 14.0);
    const double q = rng.range(0.7, 4.0);
    const double vibrato = rng.range(0.0, 0.006);
    const double vibRate = rng.range(4.5, 6.5);
    const double pw = rng.range(0.2, 0.5);
    const double subLevel = variant % 5 == 0 ? 0.5 : 0.0;
    const double glide = variant % 7 == 3 ? 0.15 : 0.0;
    Audio audio(0.9);
    Osc oscs[4];
    Svf filters[2];
    for (std::size_t i = 0; i < audio.frames(); ++i) {
        const double t = i / RATE;
        const double vib = 1.0 + vibrato * std::min(t / 0.3, 1.0) * std::sin(2 * PI * vibRate * t);
        const double f = hz * vib * (1.0 - glide * expDecay(t, 0.04));
        const double env = std::min(t / 0.005, 1.0) * (0.75 + 0.25 * expDecay(t, 0.2));
        const double cutoff = hz * cutoffMul * (0.6 + 0.8 * expDecay(t, 0.25)) + 200.0;
        double out[2];
        for (int c = 0; c < 2; ++c) {
            const double spread = c == 0 ? 1.0 - detune : 1.0 + detune;
            double x =
                oscs[c * 2].tick(f * spread, shapeA, pw) +
                0.7 * oscs[c * 2 + 1].tick(f / spread * (shapeB == 3 ? 2.0 : 1.0), shapeB, pw);
            x += subLevel * std::sin(2 * PI * 0.5 * hz * t);
            out[c] = filters[c].lowpass(x, cutoff, q) * env;
        }
        audio.left[i] = static_cast<float>(out[0]);
        audio.right[i] = static_cast<float>(out[1]);
    }
    return audio;
}

Audio bass(double hz, Rng& rng, int variant) {
    const int kind = variant % 4; // 0 acid saw, 1 square sub, 2 FM, 3 sine with click
    const double decay = rng.range(0.08, 0.5);
    const double cutoffMul = rng.range(2.0, 10.0);
    const double q = rng.range(0.7, kind == 0 ? 8.0 : 2.0);
    const double fmIndex = rng.range(0.5, 4.0);
    const double fmRatio = 1.0 + rng.pick(3);
    const double drive = rng.range(1.0, 3.0);
    Audio audio(0.8);
    Osc oscs[2];
    Svf filter;
    double modPhase = 0.0, carPhase = 0.0;
    for (std::size_t i = 0; i < audio.frames(); ++i) {
        const double t = i / RATE;
        const double amp = std::min(t / 0.003, 1.0) * (0.6 + 0.4 * expDecay(t, decay));
        double x = 0.0;
        switch (kind) {
        case 0:
            x = filter.lowpass(oscs[0].tick(hz, 0),
                               hz * (1.0 + cutoffMul * expDecay(t, decay)) + 60.0, q);
            break;
        case 1:
            x = filter.lowpass(oscs[0].tick(hz, 1, 0.5) + 0.8 * std::sin(2 * PI * 0.5 * hz * t),
                               hz * cutoffMul, q);
            break;
        case 2:
            modPhase += hz * fmRatio / RATE;
            carPhase += hz / RATE;
            x = std::sin(2 * PI * carPhase +
                         fmIndex * expDecay(t, decay) * std::sin(2 * PI * modPhase));
            break;
        default:
            x = std::sin(2 * PI * hz * t) + 0.3 * std::sin(4 * PI * hz * t) +
                expDecay(t, 0.004) * 0.5;
        }
        x = std::tanh(drive * x) / std::tanh(drive);
        const float v = static_cast<float>(x * amp);
        audio.left[i] = v;
        audio.right[i] = v;
    }
    return audio;
}

Audio pad(double hz, Rng& rng, int variant) {
    constexpr int VOICES = 5;
    const double spread = rng.range(0.004, 0.015);
    const int shape = variant % 3 == 2 ? 1 : 0;
    const double attack = rng.range(0.3, 0.8);
    const double sweep = rng.range(0.5, 2.0);
    const double cutoffMul = rng.range(2.0, 8.0);
    const double fifth = variant % 4 == 1 ? 0.4 : 0.0;
    Audio audio(2.0);
    Osc oscs[2][VOICES + 1];
    Svf filters[2];
    double detunes[2][VOICES];
    for (auto& channel : detunes) {
        for (int v = 0; v < VOICES; ++v) {
            channel[v] = 1.0 + spread * (v - (VOICES - 1) / 2.0) / 2.0 + rng.range(-0.002, 0.002);
        }
    }
    for (std::size_t i = 0; i < audio.frames(); ++i) {
        const double t = i / RATE;
        const double amp = std::min(t / attack, 1.0);
        const double cutoff =
            hz * cutoffMul * (0.5 + 0.5 * std::sin(2 * PI * t / (4.0 * sweep))) + 300.0;
        for (int c = 0; c < 2; ++c) {
            double x = 0.0;
            for (int v = 0; v < VOICES; ++v) {
                x += oscs[c][v].tick(hz * detunes[c][v], shape, 0.4);
            }
            x += fifth * VOICES * 0.3 * oscs[c][VOICES].tick(hz * 1.5 * detunes[c][0], 3);
            const float v = static_cast<float>(filters[c].lowpass(x / VOICES, cutoff, 0.9) * amp);
            (c == 0 ? audio.left : audio.right)[i] = v;
        }
    }
    finish(audio, 0.3);
    return audio;
}

Audio laser(double hz, Rng& rng, int variant) {
    const int kind = variant % 5; // down sweep, up sweep, zap, warble, FM chirp
    const double seconds = rng.range(0.2, 0.45);
    const double depth = rng.range(1.0, 4.0); // octaves swept
    const double speed = rng.range(0.03, 0.2);
    const int shape = rng.pick(4);
    const double noiseLevel = kind == 2 ? rng.range(0.3, 0.7) : 0.0;
    const double warble = rng.range(8.0, 30.0);
    Audio audio(seconds);
    Osc osc[2];
    Svf filter;
    double modPhase = 0.0;
    for (std::size_t i = 0; i < audio.frames(); ++i) {
        const double t = i / RATE;
        double octaves = 0.0;
        switch (kind) {
        case 0:
            octaves = depth * expDecay(t, speed);
            break;
        case 1:
            octaves = depth * (1.0 - expDecay(t, speed)) - depth * 0.5;
            break;
        case 2:
            octaves = depth * expDecay(t, speed * 0.3);
            break;
        case 3:
            octaves = 0.5 * std::sin(2 * PI * warble * t) - t * depth;
            break;
        default:
            modPhase += warble * 4.0 / RATE;
            octaves = depth * expDecay(t, speed) + 0.3 * std::sin(2 * PI * modPhase);
        }
        const double f = std::min(hz * std::pow(2.0, octaves), 18000.0);
        const double amp = std::min(t / 0.002, 1.0) * expDecay(t, seconds * 0.4);
        double x = osc[0].tick(f, shape, 0.3) + 0.5 * osc[1].tick(f * 1.01, shape, 0.3);
        x += noiseLevel * filter.highpassed(rng.noise(), 2000.0) * expDecay(t, 0.03);
        audio.left[i] = static_cast<float>(x * amp);
        audio.right[i] = static_cast<float>((x * 0.9 + 0.1 * std::sin(2 * PI * f * t)) * amp);
    }
    return audio;
}

Audio other(double hz, Rng& rng, int variant) {
    const int kind = variant % 4; // bell, pluck, noise swell, mallet
    Audio audio(kind == 2 ? 1.0 : 0.8);
    if (kind == 1) {
        // Plucked string: a noise burst circulating through a damped delay.
        const double brightness = rng.range(0.3, 0.5);
        for (int c = 0; c < 2; ++c) {
            const auto period =
                std::max<std::size_t>(2, static_cast<std::size_t>(RATE / hz * (c ? 1.003 : 1.0)));
            std::vector<double> line(period);
            for (double& v : line) {
                v = rng.noise();
            }
            auto& out = c == 0 ? audio.left : audio.right;
            std::size_t pos = 0;
            double last = 0.0;
            for (std::size_t i = 0; i < audio.frames(); ++i) {
                const double v = line[pos];
                const double filtered = 0.996 * (brightness * v + (1.0 - brightness) * last);
                last = v;
                line[pos] = filtered;
                pos = (pos + 1) % period;
                out[i] = static_cast<float>(v);
            }
        }
        return audio;
    }
    const double ratio = 1.0 + rng.range(0.4, 3.5);
    const double index = rng.range(1.0, 6.0);
    const double decay = rng.range(0.2, 0.8);
    const double cutoff = rng.range(600.0, 6000.0);
    Svf filters[2];
    for (std::size_t i = 0; i < audio.frames(); ++i) {
        const double t = i / RATE;
        double x[2];
        for (int c = 0; c < 2; ++c) {
            const double f = hz * (c ? 1.002 : 1.0);
            switch (kind) {
            case 0:
                x[c] = std::sin(2 * PI * f * t + index * expDecay(t, decay * 0.5) *
                                                     std::sin(2 * PI * f * ratio * t)) *
                       expDecay(t, decay);
                break;
            case 2:
                x[c] = filters[c].lowpass(rng.noise(), cutoff * (0.3 + std::sin(PI * t / 1.0)) + hz,
                                          3.0) *
                       std::sin(PI * t / 1.0);
                break;
            default:
                x[c] = (std::sin(2 * PI * f * t) +
                        0.4 * std::sin(2 * PI * f * 3.9 * t) * expDecay(t, 0.05) +
                        0.2 * std::sin(2 * PI * f * 9.2 * t) * expDecay(t, 0.015)) *
                       expDecay(t, decay * 0.6);
            }
        }
        audio.left[i] = static_cast<float>(x[0]);
        audio.right[i] = static_cast<float>(x[1]);
    }
    return audio;
}

// ---------------------------------------------------------------- drums

enum class Drum {
    Kick,
    Snare,
    ClosedHat,
    OpenHat,
    Clap,
    TomLow,
    TomHigh,
    Rim,
    Cowbell,
    Cymbal,
    Shaker,
    Zap
};

Audio drum(Drum kind, Rng& rng, double tone) {
    const double seconds = kind == Drum::Cymbal ? 0.9 : kind == Drum::OpenHat ? 0.45 : 0.35;
    Audio audio(seconds);
    Svf filters[2];
    double phase = 0.0;
    const double pitch = rng.range(0.85, 1.15) * tone;
    for (std::size_t i = 0; i < audio.frames(); ++i) {
        const double t = i / RATE;
        double x[2] = {0.0, 0.0};
        for (int c = 0; c < 2; ++c) {
            const double n = rng.noise();
            switch (kind) {
            case Drum::Kick:
                if (c == 0) {
                    phase += (50.0 * pitch + 120.0 * pitch * expDecay(t, 0.03)) / RATE;
                }
                x[c] = std::sin(2 * PI * phase) * expDecay(t, 0.18) + 0.3 * n * expDecay(t, 0.002);
                break;
            case Drum::Snare:
                if (c == 0) {
                    phase += 185.0 * pitch / RATE;
                }
                x[c] = 0.6 * std::sin(2 * PI * phase) * expDecay(t, 0.05) +
                       filters[c].highpassed(n, 1500.0) * expDecay(t, 0.09);
                break;
            case Drum::ClosedHat:
            case Drum::OpenHat:
                x[c] = filters[c].highpassed(n, 7000.0 * pitch) *
                       expDecay(t, kind == Drum::ClosedHat ? 0.03 : 0.15);
                break;
            case Drum::Clap: {
                const double burst =
                    t < 0.03 ? expDecay(std::fmod(t, 0.01), 0.003) : expDecay(t - 0.03, 0.08);
                x[c] = filters[c].lowpass(n, 1800.0 * pitch, 2.0) * burst;
                break;
            }
            case Drum::TomLow:
            case Drum::TomHigh:
                if (c == 0) {
                    const double base = (kind == Drum::TomLow ? 90.0 : 160.0) * pitch;
                    phase += (base + base * 0.6 * expDecay(t, 0.05)) / RATE;
                }
                x[c] = std::sin(2 * PI * phase) * expDecay(t, 0.2) + 0.1 * n * expDecay(t, 0.01);
                break;
            case Drum::Rim:
                x[c] = (std::sin(2 * PI * 1700.0 * pitch * t) + filters[c].highpassed(n, 3000.0)) *
                       expDecay(t, 0.012);
                break;
            case Drum::Cowbell: {
                const double a = std::sin(2 * PI * 540.0 * pitch * t) > 0 ? 1.0 : -1.0;
                const double b = std::sin(2 * PI * 800.0 * pitch * t) > 0 ? 1.0 : -1.0;
                x[c] = filters[c].lowpass(a + b, 3000.0, 1.5) * expDecay(t, 0.12);
                break;
            }
            case Drum::Cymbal: {
                double metal = 0.0;
                for (double r : {1.0, 1.342, 1.813, 2.27, 2.71, 3.19}) {
                    metal += std::sin(2 * PI * 400.0 * pitch * r * t) > 0 ? 1.0 : -1.0;
                }
                x[c] = filters[c].highpassed(0.2 * metal + n, 5000.0) * expDecay(t, 0.35);
                break;
            }
            case Drum::Shaker:
                x[c] =
                    filters[c].highpassed(n, 5000.0) * std::min(t / 0.02, 1.0) * expDecay(t, 0.06);
                break;
            case Drum::Zap:
                if (c == 0) {
                    phase += (100.0 + 2000.0 * pitch * expDecay(t, 0.02)) / RATE;
                }
                x[c] = std::sin(2 * PI * phase) * expDecay(t, 0.1);
                break;
            }
        }
        audio.left[i] = static_cast<float>(x[0]);
        audio.right[i] = static_cast<float>(x[1]);
    }
    finish(audio, 0.005);
    return audio;
}

// ---------------------------------------------------------------- programs

struct Job {
    int index;
    std::string name;
};

constexpr Envelope DRUM_ENV{0.0f, 0.0f, 1.0f, 400.0f};
constexpr Envelope LEAD_ENV{0.05f, 30.0f, 0.8f, 300.0f};
constexpr Envelope BASS_ENV{0.02f, 50.0f, 0.75f, 150.0f};
constexpr Envelope PAD_ENV{300.0f, 1000.0f, 0.85f, 6000.0f};
constexpr Envelope LASER_ENV{0.0f, 0.0f, 1.0f, 200.0f};
constexpr Envelope OTHER_ENV{0.01f, 0.0f, 1.0f, 2000.0f};

// A drum sound per key range: sounds[k] covers `width` keys from lo, rooted
// in the middle of its range so no key is transposed by more than half of it.
void drumRanges(Program& program, const std::string& stem, const std::vector<Drum>& sounds, int lo,
                int width, uint64_t seed, const std::string& folder, uint64_t& bytes) {
    for (std::size_t k = 0; k < sounds.size() && program.error.empty(); ++k) {
        Rng rng(seed + k);
        const int start = lo + static_cast<int>(k) * width;
        addZone(program, folder, stem + "-" + std::to_string(k) + ".wav", drum(sounds[k], rng, 1.0),
                start, start + width - 1, start + width / 2, DRUM_ENV, bytes);
    }
}

// Kick or snare variations: each sound a little apart in pitch and length.
void drumVariations(Program& program, const std::string& stem, Drum kind, uint64_t seed,
                    const std::string& folder, uint64_t& bytes) {
    constexpr int COUNT = 12;
    constexpr int WIDTH = 8;
    for (int k = 0; k < COUNT && program.error.empty(); ++k) {
        Rng rng(seed + static_cast<uint64_t>(k));
        const int start = 16 + k * WIDTH;
        addZone(program, folder, stem + "-" + std::to_string(k) + ".wav",
                drum(kind, rng, 0.7 + 0.06 * k), start, start + WIDTH - 1, start + WIDTH / 2,
                DRUM_ENV, bytes);
    }
}

std::string fileStem(const std::string& name) {
    std::string stem;
    for (char c : name) {
        if ((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') ||
            c == '-') {
            stem += c;
        } else if (c == ' ' && !stem.empty() && stem.back() != '_') {
            stem += '_';
        }
    }
    while (!stem.empty() && (stem.front() == '-' || stem.front() == '_')) {
        stem.erase(stem.begin());
    }
    while (!stem.empty() && (stem.back() == '-' || stem.back() == '_')) {
        stem.pop_back();
    }
    return stem;
}

// A header program's voice: variant 0, cut to `seconds`.
Render shortened(Audio (*voice)(double, Rng&, int), double seconds) {
    return [voice, seconds](double hz, Rng& rng) {
        Audio a = voice(hz, rng, 0);
        a.left.resize(static_cast<std::size_t>(seconds * RATE));
        a.right.resize(a.left.size());
        return a;
    };
}

Program build(const Job& job, const std::string& folder, uint64_t& bytes) {
    Program program{job.name, {}, {}};
    const std::string stem = fileStem(job.name);
    const auto seed = static_cast<uint64_t>(job.index) * 7919u + 17u;
    const auto variant = [&](int first) { return job.index - first; };
    using std::placeholders::_1;
    using std::placeholders::_2;
    const std::vector<Drum> kit1{Drum::Kick,    Drum::Snare,  Drum::ClosedHat, Drum::OpenHat,
                                 Drum::Clap,    Drum::TomLow, Drum::TomHigh,   Drum::Rim,
                                 Drum::Cowbell, Drum::Cymbal, Drum::Shaker,    Drum::Zap};
    const std::string& name = job.name;
    if (name == "Our Favorites") {
        melodic(program, stem, 24, 107, OTHER_ENV, seed, std::bind(other, _1, _2, 3), folder,
                bytes);
    } else if (name == "-= DRUMS =-") {
        drumRanges(program, stem, {Drum::Kick, Drum::Snare, Drum::ClosedHat}, 36, 16, seed, folder,
                   bytes);
    } else if (name == "Kicks") {
        drumVariations(program, stem, Drum::Kick, seed, folder, bytes);
    } else if (name == "Snares") {
        drumVariations(program, stem, Drum::Snare, seed, folder, bytes);
    } else if (name.rfind("Drum Kit ", 0) == 0) {
        // Kits 1 to 3 arrange the same instruments differently, each with its
        // own tuning, so that every kit sounds like itself.
        std::vector<Drum> kit = kit1;
        std::rotate(kit.begin(), kit.begin() + (job.index - 4) * 4, kit.end());
        drumRanges(program, stem, kit, 24, 8, seed, folder, bytes);
    } else if (name == "-= LEADS =-") {
        melodic(program, stem, 48, 83, LEAD_ENV, seed, shortened(lead, 0.4), folder, bytes);
    } else if (name.rfind("Lead-", 0) == 0) {
        melodic(program, stem, 36, 107, LEAD_ENV, seed, std::bind(lead, _1, _2, variant(8)), folder,
                bytes);
    } else if (name == "-= BASS =-") {
        melodic(program, stem, 24, 59, BASS_ENV, seed, shortened(bass, 0.4), folder, bytes);
    } else if (name.rfind("Bass-", 0) == 0) {
        melodic(program, stem, 12, 83, BASS_ENV, seed, std::bind(bass, _1, _2, variant(37)), folder,
                bytes);
    } else if (name == "-= PADS =-") {
        melodic(program, stem, 48, 83, PAD_ENV, seed, shortened(pad, 0.8), folder, bytes);
    } else if (name.rfind("Pad-", 0) == 0) {
        melodic(program, stem, 36, 107, PAD_ENV, seed, std::bind(pad, _1, _2, variant(70)), folder,
                bytes);
    } else if (name == "-= LASERS =-") {
        melodic(program, stem, 48, 83, LASER_ENV, seed, std::bind(laser, _1, _2, 0), folder, bytes);
    } else if (name.rfind("Laser-", 0) == 0) {
        melodic(program, stem, 36, 107, LASER_ENV, seed, std::bind(laser, _1, _2, variant(84)),
                folder, bytes);
    } else if (name == "-= OTHER =-") {
        melodic(program, stem, 48, 83, OTHER_ENV, seed, std::bind(other, _1, _2, 0), folder, bytes);
    } else if (name.rfind("Other-", 0) == 0) {
        melodic(program, stem, 36, 107, OTHER_ENV, seed, std::bind(other, _1, _2, variant(148)),
                folder, bytes);
    } else {
        // "Unnamed Program": a plain, soft tone.
        melodic(
            program, stem, 36, 107, LEAD_ENV, seed,
            [](double hz, Rng&) {
                Audio a(0.8);
                for (std::size_t i = 0; i < a.frames(); ++i) {
                    const double t = i / RATE;
                    a.left[i] = a.right[i] = static_cast<float>(
                        (std::sin(2 * PI * hz * t) + 0.2 * std::sin(4 * PI * hz * t)) *
                        std::min(t / 0.01, 1.0));
                }
                return a;
            },
            folder, bytes);
    }
    return program;
}

// The program's pack, written whole; false with the reason in error.
bool writePack(const Program& program, const std::string& folder, std::string& error) {
    Kestrovalian::SamplePack pack;
    pack.set_name(program.name);
    for (const Zone& z : program.zones) {
        Kestrovalian::SamplePack_Zone* zone = pack.add_zone();
        zone->set_start_key(z.start);
        zone->set_end_key(z.end);
        zone->set_start_vel(0);
        zone->set_end_vel(127);
        zone->set_root_key(z.root);
        zone->set_filename(z.file);
        auto* adsr = zone->mutable_adsr_params();
        adsr->set_attack_time(z.a);
        adsr->set_decay_time(z.d);
        adsr->set_sustain_level(z.s);
        adsr->set_release_time(z.r);
    }
    std::string bytes;
    if (!pack.SerializeToString(&bytes)) {
        error = "cannot encode the pack " + program.name;
        return false;
    }
    return OutputFile::writeWhole(folder + "/" + program.name + ".jsfb", bytes, error);
}

} // namespace

int main(int argc, char** argv) {
    // Before the workers start, so that an interrupted run removes their
    // unfinished files.
    OutputFile::handleSignals("amber_soundset");
    if (argc != 2) {
        std::cerr << "usage: amber_soundset <sounds folder>\n";
        return 2;
    }
    const std::string folder = argv[1];
    std::error_code error;
    std::filesystem::create_directories(folder, error);
    if (error) {
        std::cerr << "amber_soundset: cannot create " << folder << ": " << error.message() << "\n";
        return 1;
    }

    std::vector<Job> jobs;
    for (int i = 0; i < FACTORY_PROGRAM_COUNT; ++i) {
        jobs.push_back({i, factoryProgramName(i)});
    }
    jobs.push_back({FACTORY_PROGRAM_COUNT, "Unnamed Program"});

    // Programs are independent and seeded by index, so any thread may make
    // any of them without changing a byte of the result. A pack is written
    // only after all its WAV files, and after a failure no new program is
    // begun: the set is then incomplete either way.
    std::atomic<std::size_t> nextJob{0};
    std::atomic<uint64_t> totalBytes{0};
    std::atomic<bool> failed{false};
    auto worker = [&] {
        for (std::size_t j = nextJob++; j < jobs.size() && !failed; j = nextJob++) {
            uint64_t bytes = 0;
            const Program program = build(jobs[j], folder, bytes);
            std::string error = program.error;
            if (!error.empty() || !writePack(program, folder, error)) {
                std::cerr << "amber_soundset: " + error + "\n";
                failed = true;
            }
            totalBytes += bytes;
        }
    };
    const unsigned threads = std::max(1u, std::min(8u, std::thread::hardware_concurrency()));
    std::vector<std::thread> pool;
    for (unsigned t = 0; t < threads; ++t) {
        pool.emplace_back(worker);
    }
    for (std::thread& t : pool) {
        t.join();
    }
    if (failed) {
        return 1;
    }
    std::cout << "amber_soundset: " << jobs.size() << " packs, "
              << totalBytes.load() / (1024 * 1024) << " MB of samples in " << folder << "\n";
    return 0;
}
