#pragma once

#include "volumecontrol.h"

#include <memory>

/// The program's VolumeControl: the real one comes from the backend module on first use.
class LazyVolume final : public VolumeControl
{
public:
    void setDeviceVolume(quint32 word) override;

private:
    std::unique_ptr<VolumeControl> m_real;
    bool m_tried = false;
};
