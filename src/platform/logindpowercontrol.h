#pragma once

#include "powercontrol.h"

/// PowerControl through systemd-logind on the system D-Bus; polkit may ask the user first.
class LogindPowerControl final : public PowerControl
{
public:
    void powerOff() override;
    void reboot() override;
};
