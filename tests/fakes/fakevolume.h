#pragma once

#include "volumecontrol.h"

#include <QList>

/// Records every device volume word instead of touching the sound output.
struct FakeVolume final : VolumeControl
{
    QList<quint32> words;
    void setDeviceVolume(quint32 word) override { words << word; }
};
