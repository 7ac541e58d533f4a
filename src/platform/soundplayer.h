#pragma once

#include <QObject>
#include <QString>

/// Plays one sound file at a time; behind an interface so that tests see the requests.
class SoundPlayer : public QObject
{
    Q_OBJECT
public:
    using QObject::QObject;

    /// Sets up the sound output, and may open the file, ahead of play(path), so that the sound
    /// starts at once; a sound that plays goes on.
    virtual void prepare(const QString &path) { Q_UNUSED(path) }
    /// Plays the file from its beginning, once, in place of whatever played; returns at once.
    /// A Qt resource path (":/...") plays too.
    virtual void play(const QString &path) = 0;
    /// Ends playback at once; does nothing while nothing plays.
    virtual void stop() = 0;

signals:
    /// The file last given to play() cannot be opened or decoded.
    void failed();
};
