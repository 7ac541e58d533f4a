#include "qtsoundplayer.h"

#include <QAudioOutput>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMediaPlayer>
#include <QTemporaryFile>

QtSoundPlayer::QtSoundPlayer(QObject *parent)
    : SoundPlayer(parent)
{
}

QtSoundPlayer::~QtSoundPlayer()
{
    delete m_player;
    qDeleteAll(m_resourceCopies);
}

void QtSoundPlayer::createPlayer()
{
    m_player = new QMediaPlayer(this);
    m_output = new QAudioOutput(m_player);
    m_output->setVolume(1.0f);
    m_player->setAudioOutput(m_output);
    connect(m_player, &QMediaPlayer::errorOccurred, this, [this](QMediaPlayer::Error error) {
        if (error != QMediaPlayer::NoError)
            report();
    });
    connect(m_player, &QMediaPlayer::mediaStatusChanged, this,
            [this](QMediaPlayer::MediaStatus status) {
                if (status == QMediaPlayer::InvalidMedia)
                    report();
                else if (status == QMediaPlayer::EndOfMedia && endedTooSoon())
                    QMetaObject::invokeMethod(this, &QtSoundPlayer::restart, Qt::QueuedConnection);
            });
}

bool QtSoundPlayer::endedTooSoon() const
{
    // Qt 6.4's GStreamer backend now and then ends an MP3 at once, at position 0, without a
    // sound: an end long before the sound's duration is that fault, not the real end.
    const qint64 duration = m_player->duration();
    const qint64 played = m_started.elapsed();
    return m_restarts < MaxRestarts && m_player->position() == 0
           && (duration > 0 ? played < duration / 2 : played < 500);
}

void QtSoundPlayer::restart()
{
    ++m_restarts;
    m_started.start();
    m_player->setSource(QUrl());
    m_player->setSource(m_url);
    m_player->play();
}

void QtSoundPlayer::prepare(const QString &path)
{
    // Loading the media backend and a copy of a built-in sound take a while at the first play.
    // A source is not loaded ahead: Qt 6.4's GStreamer backend starts a source paused ahead
    // only as late as it was paused early.
    if (!m_player)
        createPlayer();
    urlOf(path);
}

void QtSoundPlayer::play(const QString &path)
{
    if (!m_player)
        createPlayer();
    ++m_attempt;
    m_reported = false;
    const QUrl url = urlOf(path);
    // Qt 6.4's GStreamer backend often plays silence when a stopped or finished source is
    // played again: the source is loaded afresh for every play.
    m_player->setSource(QUrl());
    if (url.isEmpty()) {
        report();
        return;
    }
    m_url = url;
    m_restarts = 0;
    m_started.start();
    m_player->setSource(url);
    m_player->play();
}

void QtSoundPlayer::stop()
{
    if (m_player)
        m_player->stop();
}

QUrl QtSoundPlayer::urlOf(const QString &path)
{
    if (path.isEmpty())
        return {};
    if (!path.startsWith(QLatin1String(":/"))) {
        // Only a regular file: the backend opens the file on this thread, and opening a named
        // pipe or a device can wait for ever, with the clock and every window stopped.
        const QFileInfo file(path);
        return file.isFile() ? QUrl::fromLocalFile(file.absoluteFilePath()) : QUrl();
    }

    // Not every media backend reads Qt resources: play a copy on disk, made once.
    QTemporaryFile *copy = m_resourceCopies.value(path);
    if (!copy) {
        QFile resource(path);
        if (!resource.open(QIODevice::ReadOnly))
            return {};
        copy = new QTemporaryFile(QDir::tempPath() + QLatin1String("/wakemere-XXXXXX.")
                                  + QFileInfo(path).suffix());
        if (!copy->open() || copy->write(resource.readAll()) != resource.size()
            || !copy->flush()) {
            delete copy;
            return {};
        }
        m_resourceCopies.insert(path, copy);
    }
    return QUrl::fromLocalFile(copy->fileName());
}

void QtSoundPlayer::report()
{
    // The backend signals one failure several times (errors and an invalid status) in a burst.
    // The report waits until the burst is over, so that none of it is taken for a failure of
    // whatever is played next; it is dropped if another play came first.
    if (m_reported)
        return;
    m_reported = true;
    QMetaObject::invokeMethod(
        this,
        [this, attempt = m_attempt] {
            if (attempt == m_attempt)
                emit failed();
        },
        Qt::QueuedConnection);
}
