#pragma once

#include "soundplayer.h"

#include <QElapsedTimer>
#include <QHash>
#include <QUrl>

class QAudioOutput;
class QMediaPlayer;
class QTemporaryFile;

/// SoundPlayer on Qt Multimedia. The player is made on first use: setting up the audio
/// backend is slow and most runs never sound an alarm.
class QtSoundPlayer final : public SoundPlayer
{
    Q_OBJECT
public:
    explicit QtSoundPlayer(QObject *parent = nullptr);
    ~QtSoundPlayer() override;

    void prepare(const QString &path) override;
    void play(const QString &path) override;
    void stop() override;

private:
    static constexpr int MaxRestarts = 3;

    void createPlayer();
    bool endedTooSoon() const;
    void restart();
    QUrl urlOf(const QString &path);
    void report();

    QMediaPlayer *m_player = nullptr;
    QAudioOutput *m_output = nullptr;
    QHash<QString, QTemporaryFile *> m_resourceCopies;
    QUrl m_url;
    QElapsedTimer m_started;
    int m_restarts = 0;         // plays again after an end that came too soon
    int m_attempt = 0;          // counts the plays, so that a late report of one is dropped
    bool m_reported = false;
};
