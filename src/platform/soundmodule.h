#pragma once

class SoundPlayer;

/// The sound module's one entry point, looked up by this name: makes the sound player, which
/// decodes with libsndfile and plays through libpulse or ALSA. The program loads the module
/// when the first sound is prepared or played.
#define WAKEMERE_SOUND_ENTRY "wakemere_sound"
extern "C" SoundPlayer *wakemere_sound();
