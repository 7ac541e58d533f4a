#pragma once

class Opener;
class VolumeControl;

/// What the backend module makes: the backends that need PulseAudio, ALSA or GIO. They live in
/// a library of their own that the program loads the first time it needs one, so that starting
/// and waiting in the tray cost none of those libraries. The sound player is a module of its
/// own (soundmodule.h), so that an alarm that sounds loads none of the desktop's GIO.
struct BackendModule
{
    VolumeControl *(*volume)();
    Opener *(*opener)();
};

/// The module's one entry point, looked up by this name.
#define WAKEMERE_BACKENDS_ENTRY "wakemere_backends"
extern "C" const BackendModule *wakemere_backends();
