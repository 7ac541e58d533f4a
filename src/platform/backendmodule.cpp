#include "backendmodule.h"

#include "desktopopener.h"
#include "systemvolume.h"

namespace {

VolumeControl *makeVolume()
{
    return new SystemVolume;
}

Opener *makeOpener()
{
    return new DesktopOpener;
}

} // namespace

extern "C" Q_DECL_EXPORT const BackendModule *wakemere_backends()
{
    static const BackendModule module{makeVolume, makeOpener};
    return &module;
}
