#include "mediaplayer.h"

#include "soundplayer.h"

const QString MediaPlayer::AlarmTone = QStringLiteral(":/sounds/alarm-tone.wav");

MediaPlayer::MediaPlayer(SoundPlayer &player, QObject *parent)
    : QObject(parent)
    , m_player(player)
{
    connect(&m_player, &SoundPlayer::failed, this, &MediaPlayer::playerFailed);
}

void MediaPlayer::setFile(const QString &path)
{
    m_file = path;
    // An alarm armed without a file still has to be heard.
    m_toneInstead = path.trimmed().isEmpty();
}

void MediaPlayer::prepare(const QString &path)
{
    m_player.prepare(path.trimmed().isEmpty() ? AlarmTone : path);
}

void MediaPlayer::play()
{
    m_playing = true;
    m_sounding = m_toneInstead ? AlarmTone : m_file;
    m_player.play(m_sounding);
}

void MediaPlayer::stop()
{
    m_playing = false;
    m_player.stop();
}

void MediaPlayer::playerFailed()
{
    // A failure reported after stop() must not start a sound; one of the tone itself ends
    // the attempt rather than retrying for ever.
    if (!m_playing || m_sounding == AlarmTone) {
        m_playing = false;
        return;
    }
    m_toneInstead = true;
    m_sounding = AlarmTone;
    m_player.play(m_sounding);
}
