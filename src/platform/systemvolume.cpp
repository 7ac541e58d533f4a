#include "systemvolume.h"

#include "alsavolume.h"
#include "pulsevolume.h"

namespace {

// Long enough for a busy server, short enough that ending the program never waits long.
constexpr int ServerTimeoutMs = 1500;

} // namespace

SystemVolume::SystemVolume()
{
    m_worker.setMaxThreadCount(1);
}

SystemVolume::~SystemVolume()
{
    m_worker.waitForDone();
}

void SystemVolume::setDeviceVolume(quint32 word)
{
    const quint16 left = quint16(word & 0xFFFF);
    const quint16 right = quint16(word >> 16);
    m_worker.start([left, right] {
        if (setDefaultSinkVolume(left, right, ServerTimeoutMs) == PulseOutcome::NoServer)
            setFirstCardVolume(left, right);
    });
}
