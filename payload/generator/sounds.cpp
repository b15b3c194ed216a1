// Sound members: the short signals of typing, selecting, committing and turning pages, the error
// and hint sounds, and the start and exit tunes, as 16-bit mono PCM WAV files at 44,100 Hz.
#include <algorithm>
#include <cmath>

#include "members.h"
#include "random.h"

namespace {

const int kRate = 44100;
const double kPi = 3.14159265358979323846;

struct Note {
    double start;      // seconds
    double frequency;  // Hz; 0 makes filtered noise
    double length;     // seconds until it has died away
    double level;      // 0..1
};

// Mixes decaying tones with a little of their octave, or noise for frequency 0, and a faint
// noise floor as a microphone would add.
Bytes Render(const std::vector<Note>& notes, double seconds, std::uint64_t seed) {
    Random random(seed);
    const std::size_t samples = static_cast<std::size_t>(seconds * kRate);
    std::vector<double> mix(samples, 0.0);
    for (const Note& note : notes) {
        std::size_t first = static_cast<std::size_t>(note.start * kRate);
        std::size_t count = static_cast<std::size_t>(note.length * kRate);
        double smoothed = 0;
        for (std::size_t i = 0; i < count && first + i < samples; ++i) {
            double t = double(i) / kRate;
            double envelope = std::fmin(t / 0.004, 1.0) * std::exp(-5.0 * t / note.length);
            double value;
            if (note.frequency == 0) {
                smoothed += 0.3 * ((random.Below(2001) / 1000.0 - 1.0) - smoothed);
                value = smoothed;
            } else {
                value = std::sin(2 * kPi * note.frequency * t) + 0.3 * std::sin(4 * kPi * note.frequency * t) +
                        0.1 * std::sin(6 * kPi * note.frequency * t);
            }
            mix[first + i] += note.level * envelope * value;
        }
    }
    Bytes pcm;
    for (double value : mix) {
        double noisy = value * 0.5 + (random.Below(65) - 32) / 32768.0 * 3;
        double clamped = std::fmax(-1.0, std::fmin(1.0, noisy));
        PutU16(pcm, static_cast<std::uint16_t>(static_cast<std::int16_t>(std::lround(clamped * 32000))));
    }
    Bytes wav = "RIFF";
    PutU32(wav, static_cast<std::uint32_t>(36 + pcm.size()));
    wav += "WAVEfmt ";
    PutU32(wav, 16);
    PutU16(wav, 1);  // PCM
    PutU16(wav, 1);  // mono
    PutU32(wav, kRate);
    PutU32(wav, kRate * 2);
    PutU16(wav, 2);
    PutU16(wav, 16);
    wav += "data";
    PutU32(wav, static_cast<std::uint32_t>(pcm.size()));
    return wav + pcm;
}

// Frequencies of the pentatonic scale from C5 upwards.
double Pentatonic(int step) {
    static const int kSemitones[] = {0, 2, 4, 7, 9};
    int octave = step / 5, degree = step % 5;
    return 523.25 * std::pow(2.0, (octave * 12 + kSemitones[degree]) / 12.0);
}

// A short tune over the pentatonic scale with a bass note under every fourth step.
std::vector<Note> Tune(std::uint64_t seed, int notes, double step, bool falling) {
    Random random(seed);
    std::vector<Note> tune;
    int degree = falling ? 9 : 2;
    for (int i = 0; i < notes; ++i) {
        degree += falling ? -random.Between(0, 2) : random.Between(-1, 2);
        degree = std::max(0, std::min(degree, 11));
        tune.push_back({i * step, Pentatonic(degree), step * 4, 0.45});
        if (i % 4 == 0) tune.push_back({i * step, Pentatonic(degree) / 4, step * 8, 0.3});
    }
    return tune;
}

}  // namespace

void AddSoundMembers(MakerTable& table) {
    table["qujpsy.wav"] = [] { return Render({{0, 0, 0.03, 0.8}, {0.002, 2200, 0.03, 0.3}}, 0.05, 1); };
    table["quxzsy.wav"] = [] { return Render({{0, 1320, 0.06, 0.5}, {0.04, 1760, 0.07, 0.5}}, 0.12, 2); };
    table["qusxsy.wav"] = [] { return Render({{0, 1046.5, 0.2, 0.5}, {0.05, 1568, 0.2, 0.35}}, 0.25, 3); };
    table["qufysy.wav"] = [] { return Render({{0, 0, 0.12, 0.6}, {0.03, 0, 0.1, 0.4}}, 0.15, 4); };
    table["qucwsy.wav"] = [] { return Render({{0, 196, 0.3, 0.7}, {0.12, 185, 0.3, 0.6}}, 0.4, 5); };
    table["qutssy.wav"] = [] { return Render({{0, 880, 0.5, 0.5}, {0.18, 1318.5, 0.6, 0.5}}, 0.8, 6); };
    table["qukjsy.wav"] = [] { return Render(Tune(7, 52, 0.25, false), 14.5, 7); };
    table["qutcsy.wav"] = [] { return Render(Tune(8, 12, 0.2, true), 3.2, 8); };
}
