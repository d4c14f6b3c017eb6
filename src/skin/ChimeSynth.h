#pragma once

#include <QByteArray>
#include <QString>

#include <vector>

namespace yk {

// Small synthesiser for the default sounds: soft bell tones, written as
// 16-bit PCM mono WAV files.
struct BellNote
{
    double startSeconds = 0.0;
    double frequency = 440.0; // Hz of the fundamental
    double loudness = 1.0;    // relative; the mix is normalised as a whole
    double decaySeconds = 0.4; // time constant of the fundamental's fade
};

inline constexpr int kChimeSampleRate = 22050;

// The samples of the notes mixed together, `lengthSeconds` long, peaking
// at `peak` of full scale and fading to silence at the end.
std::vector<qint16> synthesizeBells(const std::vector<BellNote>& notes, double lengthSeconds,
                                    double peak = 0.7);

// A complete RIFF/WAVE file (PCM, mono, 16-bit, kChimeSampleRate Hz).
QByteArray wavFile(const std::vector<qint16>& samples);

// The three default sounds.
QByteArray openingChime();
QByteArray timeSetChime();
QByteArray timerChime();

} // namespace yk
