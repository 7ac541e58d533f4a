#pragma once

#include <QtGlobal>

/// The volume of the computer's sound output, behind an interface so that tests see the calls.
class VolumeControl
{
public:
    virtual ~VolumeControl() = default;
    /// Sets the output volume from a device volume word: left channel in the low 16 bits,
    /// right channel in the high 16 bits, 0 silent to 0xFFFF loudest. Failures go unreported.
    virtual void setDeviceVolume(quint32 word) = 0;
};
