#pragma once

#include <QObject>
#include <QString>

class SoundPlayer;

/// The program's one media player, mp1: keeps the file last set so that play after stop sounds
/// it again, and sounds the built-in alarm tone in place of a file that cannot be played, so
/// that no alarm passes in silence.
class MediaPlayer : public QObject
{
    Q_OBJECT
public:
    /// The built-in alarm tone, a Qt resource.
    static const QString AlarmTone;

    explicit MediaPlayer(SoundPlayer &player, QObject *parent = nullptr);

    /// Sets the file that play() sounds; nothing plays yet.
    void setFile(const QString &path);
    QString file() const { return m_file; }
    /// Sets the sound output up ahead of the play of this file (the tone for none), so that
    /// the sound starts at once; what plays now goes on.
    void prepare(const QString &path);
    /// Sounds the file set last, from its beginning; returns at once.
    void play();
    /// Ends the sound at once; the file stays set.
    void stop();

private:
    void playerFailed();

    SoundPlayer &m_player;
    QString m_file;
    bool m_toneInstead = false;   // the file cannot be played: the tone stands in for it
    bool m_playing = false;       // from play() until stop()
    QString m_sounding;           // what the player was last told to play
};
