#include "lazysoundplayer.h"

#include "backendloader.h"
#include "backendmodule.h"

SoundPlayer *LazySoundPlayer::real()
{
    if (!m_tried) {
        m_tried = true;
        if (const BackendModule *module = backendModule()) {
            m_real = module->soundPlayer();
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
