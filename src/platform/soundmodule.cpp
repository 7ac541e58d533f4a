#include "soundmodule.h"

#include "streamsoundplayer.h"

extern "C" Q_DECL_EXPORT SoundPlayer *wakemere_sound()
{
    return new StreamSoundPlayer;
}
