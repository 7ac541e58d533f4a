#pragma once

class Opener;
class SoundPlayer;
class VolumeControl;

/// What the backend module makes: the backends that need libsndfile, PulseAudio, ALSA or GIO. They live in a library of their own that the program loads the first time it needs
/// one, so that starting and waiting in the tray cost none of those libraries.
struct BackendModule
{
    SoundPlayer *(*soundPlayer)();
    VolumeControl *(*volume)();
    Opener *(*opener)();
};

/// The module's one entry point, looked up by this name.
#define WAKEMERE_BACKENDS_ENTRY "wakemere_backends"
extern "C" const BackendModule *wakemere_backends();
