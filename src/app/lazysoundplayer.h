#pragma once

#include "soundplayer.h"

/// The program's SoundPlayer: the real one comes from the sound module when the first sound
/// is prepared or played. Without the module every play fails, so the alarm window still opens.
class LazySoundPlayer final : public SoundPlayer
{
    Q_OBJECT
public:
    using SoundPlayer::SoundPlayer;

    void prepare(const QString &path) override;
    void play(const QString &path) override;
    void stop() override;

private:
    SoundPlayer *real();

    SoundPlayer *m_real = nullptr;
    bool m_tried = false;
};
