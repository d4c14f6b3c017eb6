#pragma once

#include <utility>

#include <QString>

#include "platform/VolumeMixer.h"

namespace yk {

// The output volume through the ALSA simple mixer of one card: the
// "Master" element, or "PCM" when the card has no master control. A card
// that cannot be opened, or has neither element, is no mixer at all.
class AlsaVolumeMixer final : public VolumeMixer
{
public:
    explicit AlsaVolumeMixer(QString card = QStringLiteral("default"));

    std::optional<quint32> volume() const override;
    bool setVolume(quint32 value) override;

private:
    QString m_card;
};

// Conversions between a mixer's raw range [min, max] and the wave-out
// layout (left channel in the low 16 bits, right in the high 16 bits).
namespace alsavolume {

quint16 toLevel(long raw, long min, long max);
long fromLevel(quint16 level, long min, long max);
quint32 pack(quint16 left, quint16 right);
std::pair<quint16, quint16> unpack(quint32 value); // {left, right}

} // namespace alsavolume
} // namespace yk
