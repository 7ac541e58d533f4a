#pragma once

#include <QtGlobal>

/// Sets the first playback volume control ("Master", else "PCM", else the first there is) of
/// the first sound card's ALSA mixer, scaled linearly over the control's range. Silent when
/// there is no card or no such control.
void setFirstCardVolume(quint16 left, quint16 right);
