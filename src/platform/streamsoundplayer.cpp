#include "streamsoundplayer.h"

#include "soundsession.h"

#include <QElapsedTimer>
#include <QFile>
#include <QThread>

#include <algorithm>

namespace {

// A prepared sound holds a connection to the sound server; one not played by then is dropped.
constexpr int PreparedForMs = 10000;
// A sound file still not open by then is taken for one that cannot be played.
constexpr int OpeningForMs = 3000;
// At the end, how long the threads of stopped sessions are given to finish.
constexpr int EndingWaitMs = 500;

} // namespace

StreamSoundPlayer::StreamSoundPlayer(QObject *parent)
    : SoundPlayer(parent)
    , m_link(std::make_shared<Link>())
{
    m_link->player = this;
    m_expiry.setSingleShot(true);
    m_expiry.setInterval(PreparedForMs);
    connect(&m_expiry, &QTimer::timeout, this, [this] { retire(m_prepared); });
    m_opening.setSingleShot(true);
    m_opening.setInterval(OpeningForMs);
    connect(&m_opening, &QTimer::timeout, this, &StreamSoundPlayer::openingTooLong);
}

StreamSoundPlayer::~StreamSoundPlayer()
{
    {
        const std::lock_guard<std::mutex> lock(m_link->mutex);
        m_link->player = nullptr;
    }
    retire(m_playing);
    retire(m_prepared);
    QElapsedTimer waited;
    waited.start();
    while (waited.elapsed() < EndingWaitMs
           && std::any_of(m_ending.begin(), m_ending.end(),
                          [](const auto &session) { return !session->done(); })) {
        QThread::msleep(5);
    }
}

void StreamSoundPlayer::prepare(const QString &path)
{
    pruneEnded();
    if (isPrepared(path))
        return;
    retire(m_prepared);
    m_prepared = start(path, false);
    m_expiry.start();
}

void StreamSoundPlayer::play(const QString &path)
{
    pruneEnded();
    retire(m_playing);
    if (isPrepared(path)) {
        m_expiry.stop();
        m_playing = std::move(m_prepared);
        m_prepared = {};
        m_playing.session->play();
    } else {
        m_playing = start(path, true);
    }
    m_opening.start();
}

void StreamSoundPlayer::stop()
{
    m_opening.stop();
    retire(m_playing);
    pruneEnded();
}

StreamSoundPlayer::Session StreamSoundPlayer::start(const QString &path, bool now)
{
    const quint64 id = ++m_lastId;
    // A built-in sound is read here, from memory; a file only on the session's thread, where
    // a slow or stuck one holds nothing up.
    QByteArray bytes;
    if (path.startsWith(QLatin1String(":/"))) {
        QFile resource(path);
        if (resource.open(QIODevice::ReadOnly))
            bytes = resource.readAll();
    }
    auto notify = [link = m_link, id](SoundSession::Event event) {
        const std::lock_guard<std::mutex> lock(link->mutex);
        StreamSoundPlayer *player = link->player;
        if (!player)
            return;
        QMetaObject::invokeMethod(
            player,
            [player, id, event] {
                if (event == SoundSession::Event::Failed)
                    player->sessionFailed(id);
                else
                    player->pruneEnded();
            },
            Qt::QueuedConnection);
    };
    // A resource that cannot be read is given as an empty file name: that session fails.
    const QString file = path.startsWith(QLatin1String(":/")) ? QString() : path;
    return {id, path, std::make_unique<SoundSession>(file, bytes, now, std::move(notify))};
}

bool StreamSoundPlayer::isPrepared(const QString &path) const
{
    // One that failed is tried afresh (the file may be there now); one whose output went away
    // (the sound server ended) is made anew.
    return m_prepared.session && m_prepared.path == path && !m_prepared.session->failed()
           && !m_prepared.session->done();
}

void StreamSoundPlayer::retire(Session &session)
{
    if (!session.session)
        return;
    session.session->cancel();
    m_ending.push_back(std::move(session.session));
    session = {};
}

void StreamSoundPlayer::pruneEnded()
{
    if (m_playing.session && m_playing.session->done())
        m_playing = {};  // played to its end
    m_ending.erase(std::remove_if(m_ending.begin(), m_ending.end(),
                                  [](const auto &session) { return session->done(); }),
                   m_ending.end());
}

void StreamSoundPlayer::sessionFailed(quint64 id)
{
    // Only what plays now counts: a prepared sound that failed is tried afresh at play(),
    // and a stopped one is past.
    if (m_playing.session && m_playing.id == id)
        emit failed();
}

void StreamSoundPlayer::openingTooLong()
{
    // A read stuck in a file the system cannot reach must not keep the alarm silent.
    if (!m_playing.session || m_playing.session->opened() || m_playing.session->failed())
        return;
    retire(m_playing);
    emit failed();
}
