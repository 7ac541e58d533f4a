#include "backendmodule.h"

#include "desktopopener.h"
#include "streamsoundplayer.h"
#include "systemvolume.h"

namespace {

SoundPlayer *makeSoundPlayer()
{
    return new StreamSoundPlayer;
}

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
    static const BackendModule module{makeSoundPlayer, makeVolume, makeOpener};
    return &module;
}
