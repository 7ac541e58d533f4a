#pragma once

#include "soundplayer.h"

#include <QStringList>

/// Records what it is told to play; a test makes it fail as a real backend would, later.
class FakeSoundPlayer final : public SoundPlayer
{
public:
    QStringList played;    // every play(), in order
    int stops = 0;
    QStringList prepared;  // every prepare(), in order
    bool playing = false;

    void prepare(const QString &path) override { prepared << path; }

    void play(const QString &path) override { played << path; playing = true; }
    void stop() override { ++stops; playing = false; }
    /// The file last played cannot be decoded.
    void fail() { playing = false; emit failed(); }
    QString last() const { return played.isEmpty() ? QString() : played.last(); }
};
