#include "volumetable.h"

#include <array>

namespace {

// Hand-picked steps, not a formula: 2 and 3 are the same on purpose.
constexpr std::array<quint16, MaxVolumePosition + 1> ChannelValues = {
    0x0000, 0x0FFF, 0x1FFF, 0x1FFF, 0x4FFF, 0x7FFF, 0x9FFF, 0xAFFF, 0xCFFF, 0xEFFF, 0xFFFF,
};

} // namespace

std::optional<quint32> volumeWord(int position)
{
    if (position < 0 || position > MaxVolumePosition)
        return std::nullopt;
    const quint32 channel = ChannelValues[position];
    return (channel << 16) | channel;
}
