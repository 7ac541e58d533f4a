#include "alsavolume.h"

#include <alsa/asoundlib.h>

#include <QByteArray>

#include <algorithm>
#include <cmath>

namespace {

/// A mixer of one card, loaded; closed again when it goes.
class Mixer
{
public:
    explicit Mixer(const char *card)
    {
        if (snd_mixer_open(&m_mixer, 0) < 0) {
            m_mixer = nullptr;
            return;
        }
        if (snd_mixer_attach(m_mixer, card) < 0
            || snd_mixer_selem_register(m_mixer, nullptr, nullptr) < 0
            || snd_mixer_load(m_mixer) < 0) {
            snd_mixer_close(m_mixer);
            m_mixer = nullptr;
        }
    }

    ~Mixer()
    {
        if (m_mixer)
            snd_mixer_close(m_mixer);
    }

    Mixer(const Mixer &) = delete;
    Mixer &operator=(const Mixer &) = delete;

    /// "Master", else "PCM", else the first control with a playback volume; null if none.
    snd_mixer_elem_t *playbackControl() const
    {
        if (!m_mixer)
            return nullptr;
        snd_mixer_elem_t *first = nullptr;
        snd_mixer_elem_t *pcm = nullptr;
        for (snd_mixer_elem_t *elem = snd_mixer_first_elem(m_mixer); elem;
             elem = snd_mixer_elem_next(elem)) {
            if (!snd_mixer_selem_is_active(elem) || !snd_mixer_selem_has_playback_volume(elem))
                continue;
            const QByteArray name = snd_mixer_selem_get_name(elem);
            if (name == "Master")
                return elem;
            if (name == "PCM" && !pcm)
                pcm = elem;
            if (!first)
                first = elem;
        }
        return pcm ? pcm : first;
    }

private:
    snd_mixer_t *m_mixer = nullptr;
};

// alsa-lib reports a missing card on stderr; here a missing card is an expected, silent case.
void quiet(const char *, int, const char *, int, const char *, ...)
{
}

/// Keeps alsa-lib's error reports off stderr while it lives.
struct QuietAlsa
{
    QuietAlsa() { snd_lib_error_set_handler(quiet); }
    ~QuietAlsa() { snd_lib_error_set_handler(nullptr); }
};

// Linear over the control's own steps, as the 16-bit value is linear from silent to loudest.
long scaled(quint16 value, long min, long max)
{
    return min + std::lround(double(max - min) * value / 65535.0);
}

} // namespace

void setFirstCardVolume(quint16 left, quint16 right)
{
    const QuietAlsa quietAlsa;
    const Mixer mixer("hw:0");
    snd_mixer_elem_t *control = mixer.playbackControl();
    if (!control)
        return;
    long min = 0;
    long max = 0;
    if (snd_mixer_selem_get_playback_volume_range(control, &min, &max) < 0 || max <= min)
        return;

    if (snd_mixer_selem_is_playback_mono(control)) {
        snd_mixer_selem_set_playback_volume_all(control, scaled(std::max(left, right), min, max));
        return;
    }
    for (int channel = 0; channel <= SND_MIXER_SCHN_LAST; ++channel) {
        const auto id = snd_mixer_selem_channel_id_t(channel);
        if (!snd_mixer_selem_has_playback_channel(control, id))
            continue;
        const quint16 value = id == SND_MIXER_SCHN_FRONT_LEFT    ? left
                              : id == SND_MIXER_SCHN_FRONT_RIGHT ? right
                                                                 : std::max(left, right);
        snd_mixer_selem_set_playback_volume(control, id, scaled(value, min, max));
    }
}
