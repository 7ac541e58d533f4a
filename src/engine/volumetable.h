#pragma once

#include <QtGlobal>

#include <optional>

/// Loudest slider position of the volume dialog; the quietest is 0.
constexpr int MaxVolumePosition = 10;

/// The device volume word for a slider position 0 to 10: the low 16 bits are the left channel,
/// the high 16 bits the right one, both the same. Other positions give nothing.
std::optional<quint32> volumeWord(int position);

