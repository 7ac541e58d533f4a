#include "lazysoundplayer.h"

#include "backendloader.h"

SoundPlayer *LazySoundPlayer::real()
{
    if (!m_tried) {
        m_tried = true;
        if (const SoundPlayerMaker make = soundModule()) {
            m_real = make();
            m_real->setParent(this);
            connect(m_real, &SoundPlayer::failed, this, &SoundPlayer::failed);
        }
    }
    return m_real;
}

void LazySoundPlayer::prepare(const QString &path)
{
    if (SoundPlayer *player = real())
        player->prepare(path);
}

void LazySoundPlayer::play(const QString &path)
{
    if (SoundPlayer *player = real())
        player->play(path);
    else
        QMetaObject::invokeMethod(this, &SoundPlayer::failed, Qt::QueuedConnection);
}

void LazySoundPlayer::stop()
{
    if (m_real)
        m_real->stop();
}
