#pragma once

#include "volumecontrol.h"

#include <QThreadPool>

/// VolumeControl on the desktop's sound server (PulseAudio protocol, also served by PipeWire),
/// falling back to the ALSA mixer of the first card when no server runs.
class SystemVolume final : public VolumeControl
{
public:
    SystemVolume();
    ~SystemVolume() override;

    void setDeviceVolume(quint32 word) override;

private:
    // One worker keeps the requests in the order they were made and the user interface free
    // while a slow server answers.
    QThreadPool m_worker;
};
