#include "lazyvolume.h"

#include "backendloader.h"
#include "backendmodule.h"

void LazyVolume::setDeviceVolume(quint32 word)
{
    if (!m_tried) {
        m_tried = true;
        if (const BackendModule *module = backendModule())
            m_real.reset(module->volume());
    }
    if (m_real)
        m_real->setDeviceVolume(word);
}
