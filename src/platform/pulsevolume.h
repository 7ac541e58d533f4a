#pragma once

#include <QtGlobal>

enum class PulseOutcome {
    NoServer,   // no sound server could be reached
    Tried,      // a server is there; whether it took the volume is not examined
};

/// Sets both channels of the sound server's default output (its default sink) over the
/// PulseAudio protocol, waiting at most timeoutMs. Blocks: call it off the user-interface thread.
/// Never starts a server.
PulseOutcome setDefaultSinkVolume(quint16 left, quint16 right, int timeoutMs);
