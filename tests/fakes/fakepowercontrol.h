#pragma once

#include "powercontrol.h"

#include <QStringList>

/// Records the power requests instead of switching anything off; the test gives the answer.
struct FakePowerControl final : PowerControl
{
    QStringList requests;
    void powerOff() override { requests << QStringLiteral("PowerOff"); }
    void reboot() override { requests << QStringLiteral("Reboot"); }
    void answer(Answer answer, const QString &reason = {}) { emit answered(answer, reason); }
};
