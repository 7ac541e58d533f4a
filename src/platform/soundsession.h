#pragma once

#include <QByteArray>
#include <QString>

#include <functional>
#include <memory>
#include <thread>

/// One play of one sound, on a thread of its own: opens and decodes the sound in blocks and
/// writes them to the sound server through libpulse or, where no server runs, to ALSA's
/// default device. Made ahead, it waits with its stream connected and paused until play().
/// Nothing here blocks the thread that owns it, whatever the file does.
class SoundSession
{
public:
    /// What a session reports, from its own thread.
    enum class Event { Failed, Done };
    using Notify = std::function<void(Event)>;

    /// Starts a session for the file at `path`, or for `bytes` where they are given; it sounds
    /// at once if `now`, else at play(). `notify` hears Failed when the sound holds nothing to
    /// play (it reports no missing sound output: that fails quietly) and Done at the end.
    SoundSession(const QString &path, const QByteArray &bytes, bool now, Notify notify);
    /// Stops the session; a thread still stuck in the file is left to end on its own.
    ~SoundSession();
    SoundSession(const SoundSession &) = delete;
    SoundSession &operator=(const SoundSession &) = delete;

    /// Sounds a session made ahead; its first blocks are ready, so only an unpause remains.
    void play();
    /// Silences it at once and ends it.
    void cancel();
    /// Whether the sound was found to hold nothing to play.
    bool failed() const;
    /// Whether the sound was opened and its first block decoded.
    bool opened() const;
    /// Whether its thread has ended.
    bool done() const;

    struct State;

private:
    std::shared_ptr<State> m_state;
    std::thread m_thread;
};
