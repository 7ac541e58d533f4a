#pragma once

#include "soundplayer.h"

#include <QTimer>

#include <memory>
#include <mutex>
#include <vector>

class SoundSession;

/// SoundPlayer of its own: each play is a SoundSession, which decodes the file with libsndfile
/// and writes it to the sound server (libpulse) or to ALSA, off the GUI thread. A session made
/// by prepare() waits paused with its first blocks at the server, so that play() only starts
/// it.
class StreamSoundPlayer final : public SoundPlayer
{
    Q_OBJECT
public:
    explicit StreamSoundPlayer(QObject *parent = nullptr);
    ~StreamSoundPlayer() override;

    void prepare(const QString &path) override;
    void play(const QString &path) override;
    void stop() override;

private:
    /// The player's address for session threads, cleared when the player goes.
    struct Link
    {
        std::mutex mutex;
        StreamSoundPlayer *player = nullptr;
    };
    struct Session
    {
        quint64 id = 0;
        QString path;
        std::unique_ptr<SoundSession> session;
    };

    Session start(const QString &path, bool now);
    bool isPrepared(const QString &path) const;
    void retire(Session &session);
    void pruneEnded();
    void sessionFailed(quint64 id);
    void openingTooLong();

    std::shared_ptr<Link> m_link;
    Session m_playing;
    Session m_prepared;
    std::vector<std::unique_ptr<SoundSession>> m_ending;  // stopped, their threads not yet done
    QTimer m_expiry;  // lets go of a prepared session that was never played
    QTimer m_opening; // gives up on a file that takes too long to open, as on a stalled mount
    quint64 m_lastId = 0;
};
