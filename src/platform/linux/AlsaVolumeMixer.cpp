#include "platform/linux/AlsaVolumeMixer.h"
#include "platform/CachedVolumeMixer.h"

#include <algorithm>
#include <memory>

#include <alsa/asoundlib.h>

namespace yk {

namespace alsavolume {

quint16 toLevel(long raw, long min, long max)
{
    if (max <= min)
        return 0;
    raw = std::clamp(raw, min, max);
    const long long span = static_cast<long long>(max) - min;
    const long long scaled = ((static_cast<long long>(raw) - min) * 65535 + span / 2) / span;
    return static_cast<quint16>(scaled);
}

long fromLevel(quint16 level, long min, long max)
{
    if (max <= min)
        return min;
    const long long span = static_cast<long long>(max) - min;
    return static_cast<long>(min + (level * span + 32767) / 65535);
}

quint32 pack(quint16 left, quint16 right)
{
    return quint32(left) | (quint32(right) << 16);
}

std::pair<quint16, quint16> unpack(quint32 value)
{
    return {static_cast<quint16>(value & 0xFFFF), static_cast<quint16>(value >> 16)};
}

} // namespace alsavolume

namespace {

struct MixerCloser
{
    void operator()(snd_mixer_t* mixer) const { snd_mixer_close(mixer); }
};
using MixerHandle = std::unique_ptr<snd_mixer_t, MixerCloser>;

// A machine without a sound card makes the library print a page of errors
// on every open; the return codes already tell us what we need.
void quietAlsa(const char*, int, const char*, int, const char*, ...) {}

// Opening the mixer afresh on every call follows the default card when it
// changes (a headset plugged in) and costs a few milliseconds at most.
MixerHandle openMixer(const QString& card)
{
    static const bool quiet = [] { return snd_lib_error_set_handler(quietAlsa) == 0; }();
    Q_UNUSED(quiet);
    snd_mixer_t* raw = nullptr;
    if (snd_mixer_open(&raw, 0) < 0)
        return {};
    MixerHandle mixer(raw);
    const QByteArray name = card.toLocal8Bit();
    if (snd_mixer_attach(raw, name.constData()) < 0 || snd_mixer_selem_register(raw, nullptr, nullptr) < 0
        || snd_mixer_load(raw) < 0)
        return {};
    return mixer;
}

snd_mixer_elem_t* findVolumeElement(snd_mixer_t* mixer)
{
    for (const char* name : {"Master", "PCM"}) {
        snd_mixer_selem_id_t* id = nullptr;
        snd_mixer_selem_id_alloca(&id);
        snd_mixer_selem_id_set_index(id, 0);
        snd_mixer_selem_id_set_name(id, name);
        snd_mixer_elem_t* elem = snd_mixer_find_selem(mixer, id);
        if (elem && snd_mixer_selem_has_playback_volume(elem))
            return elem;
    }
    return nullptr;
}

} // namespace

AlsaVolumeMixer::AlsaVolumeMixer(QString card)
    : m_card(std::move(card))
{
}

std::optional<quint32> AlsaVolumeMixer::volume() const
{
    const MixerHandle mixer = openMixer(m_card);
    if (!mixer)
        return std::nullopt;
    snd_mixer_elem_t* elem = findVolumeElement(mixer.get());
    if (!elem)
        return std::nullopt;
    long min = 0;
    long max = 0;
    if (snd_mixer_selem_get_playback_volume_range(elem, &min, &max) < 0)
        return std::nullopt;

    long left = 0;
    if (snd_mixer_selem_get_playback_volume(elem, SND_MIXER_SCHN_FRONT_LEFT, &left) < 0)
        return std::nullopt;
    long right = left; // a mono control reports one channel for both sides
    if (!snd_mixer_selem_is_playback_mono(elem)
        && snd_mixer_selem_has_playback_channel(elem, SND_MIXER_SCHN_FRONT_RIGHT))
        snd_mixer_selem_get_playback_volume(elem, SND_MIXER_SCHN_FRONT_RIGHT, &right);

    return alsavolume::pack(alsavolume::toLevel(left, min, max), alsavolume::toLevel(right, min, max));
}

bool AlsaVolumeMixer::setVolume(quint32 value)
{
    const MixerHandle mixer = openMixer(m_card);
    if (!mixer)
        return false;
    snd_mixer_elem_t* elem = findVolumeElement(mixer.get());
    if (!elem)
        return false;
    long min = 0;
    long max = 0;
    if (snd_mixer_selem_get_playback_volume_range(elem, &min, &max) < 0)
        return false;

    const auto [left, right] = alsavolume::unpack(value);
    if (snd_mixer_selem_is_playback_mono(elem)
        || !snd_mixer_selem_has_playback_channel(elem, SND_MIXER_SCHN_FRONT_RIGHT))
        return snd_mixer_selem_set_playback_volume_all(elem, alsavolume::fromLevel(left, min, max)) >= 0;

    // Channels other than front left and right (surround) follow the left.
    if (snd_mixer_selem_set_playback_volume_all(elem, alsavolume::fromLevel(left, min, max)) < 0)
        return false;
    return snd_mixer_selem_set_playback_volume(elem, SND_MIXER_SCHN_FRONT_RIGHT,
                                               alsavolume::fromLevel(right, min, max))
           >= 0;
}

std::unique_ptr<VolumeMixer> createVolumeMixer()
{
    return std::make_unique<CachedVolumeMixer>(std::make_unique<AlsaVolumeMixer>());
}

} // namespace yk
