#pragma once

/// Asks the system to shut down or restart; behind an interface so that tests see the request.
class PowerControl
{
public:
    virtual ~PowerControl() = default;
    /// Asks for the computer to be switched off; the answer is not awaited.
    virtual void powerOff() = 0;
    /// Asks for the computer to be restarted; the answer is not awaited.
    virtual void reboot() = 0;
};
