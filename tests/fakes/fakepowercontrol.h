#pragma once

#include "powercontrol.h"

#include <QStringList>

/// Records the power requests instead of switching anything off.
struct FakePowerControl final : PowerControl
{
    QStringList requests;
    void powerOff() override { requests << QStringLiteral("PowerOff"); }
    void reboot() override { requests << QStringLiteral("Reboot"); }
};
