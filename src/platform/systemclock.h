#pragma once

#include "clock.h"

/// The operating system's local time.
class SystemClock final : public Clock
{
public:
    QDateTime now() const override;
    qint64 suspendedMsecs() const override;
};
