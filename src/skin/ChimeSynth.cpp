#include "skin/ChimeSynth.h"

#include <QtEndian>

#include <algorithm>
#include <complex>
#include <cmath>
#include <numbers>

namespace yk {

namespace {

// A struck bar or small bell: a strong fundamental, a quieter octave and
// a faint inharmonic partial that dies away quickly, which is what makes
// it sound struck rather than blown.
struct Partial
{
    double ratio;
    double gain;
    double decayScale;
};
constexpr Partial kPartials[] = {
    {1.0, 1.00, 1.00},
    {2.0, 0.32, 0.55},
    {3.01, 0.10, 0.35},
    {4.2, 0.06, 0.22},
};

constexpr double kAttackSeconds = 0.006; // long enough to avoid a click
constexpr double kTailFadeSeconds = 0.08;

void appendLe16(QByteArray& out, quint16 v)
{
    char b[2];
    qToLittleEndian(v, b);
    out.append(b, 2);
}

void appendLe32(QByteArray& out, quint32 v)
{
    char b[4];
    qToLittleEndian(v, b);
    out.append(b, 4);
}

double noteFrequency(int semitonesFromA4)
{
    return 440.0 * std::pow(2.0, semitonesFromA4 / 12.0);
}

} // namespace

std::vector<qint16> synthesizeBells(const std::vector<BellNote>& notes, double lengthSeconds,
                                    double peak)
{
    const auto count = size_t(std::max(0.0, lengthSeconds) * kChimeSampleRate);
    std::vector<double> mix(count, 0.0);
    for (const BellNote& note : notes) {
        const auto start = size_t(std::max(0.0, note.startSeconds) * kChimeSampleRate);
        const auto attackSamples = std::max(1.0, kAttackSeconds * kChimeSampleRate);
        for (const Partial& p : kPartials) {
            const double f = note.frequency * p.ratio;
            if (f >= kChimeSampleRate / 2.0)
                continue;
            // A decaying phasor: one complex multiply per sample instead of
            // a sine and an exponential.
            const double decay = std::exp(-1.0 / (note.decaySeconds * p.decayScale * kChimeSampleRate));
            const std::complex<double> step =
                std::polar(decay, 2.0 * std::numbers::pi * f / kChimeSampleRate);
            std::complex<double> z(note.loudness * p.gain, 0.0);
            for (size_t i = start; i < count; ++i) {
                const double attack = std::min(1.0, double(i - start) / attackSamples);
                mix[i] += attack * z.imag();
                z *= step;
            }
        }
    }

    double maxAbs = 0.0;
    for (double v : mix)
        maxAbs = std::max(maxAbs, std::abs(v));
    const double scale = maxAbs > 0.0 ? peak * 32767.0 / maxAbs : 0.0;
    const auto fade = size_t(kTailFadeSeconds * kChimeSampleRate);

    std::vector<qint16> samples(count);
    for (size_t i = 0; i < count; ++i) {
        double v = mix[i] * scale;
        const size_t left = count - i;
        if (left <= fade)
            v *= double(left - 1) / double(fade);
        samples[i] = qint16(std::clamp(std::lround(v), -32767L, 32767L));
    }
    return samples;
}

QByteArray wavFile(const std::vector<qint16>& samples)
{
    const quint32 dataBytes = quint32(samples.size() * 2);
    QByteArray out;
    out.reserve(44 + int(dataBytes));
    out.append("RIFF", 4);
    appendLe32(out, 36 + dataBytes);
    out.append("WAVE", 4);
    out.append("fmt ", 4);
    appendLe32(out, 16);                       // size of the format chunk
    appendLe16(out, 1);                        // PCM
    appendLe16(out, 1);                        // mono
    appendLe32(out, kChimeSampleRate);         // sample rate
    appendLe32(out, kChimeSampleRate * 2);     // bytes per second
    appendLe16(out, 2);                        // block align
    appendLe16(out, 16);                       // bits per sample
    out.append("data", 4);
    appendLe32(out, dataBytes);
    for (qint16 s : samples)
        appendLe16(out, quint16(s));
    return out;
}

QByteArray openingChime()
{
    // A rising major arpeggio, G5 - B5 - D6, with the top note held.
    return wavFile(synthesizeBells({{0.00, noteFrequency(10), 0.80, 0.30},
                                    {0.16, noteFrequency(14), 0.85, 0.32},
                                    {0.32, noteFrequency(17), 1.00, 0.45}},
                                   1.40));
}

QByteArray timeSetChime()
{
    // Two quick notes, a fourth apart: "set".
    return wavFile(synthesizeBells({{0.00, noteFrequency(15), 0.85, 0.18},
                                    {0.12, noteFrequency(20), 1.00, 0.28}},
                                   0.75));
}

QByteArray timerChime()
{
    // A falling three-note call heard twice, so it reads as an alert
    // without being harsh: E6 - C6 - G5, E6 - C6 - G5.
    std::vector<BellNote> notes;
    for (double base : {0.00, 0.62}) {
        notes.push_back({base + 0.00, noteFrequency(19), 1.00, 0.20});
        notes.push_back({base + 0.16, noteFrequency(15), 0.90, 0.20});
        notes.push_back({base + 0.32, noteFrequency(10), 0.95, 0.28});
    }
    return wavFile(synthesizeBells(notes, 1.45));
}

} // namespace yk
