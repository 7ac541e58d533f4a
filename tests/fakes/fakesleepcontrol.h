#pragma once

#include "sleepcontrol.h"

/// Records the wake-up request and the locks the program asks for.
struct FakeSleepControl final : SleepControl
{
    QDateTime wakeAt;
    int wakeRequests = 0;   // changes of the request
    QString problem;
    bool armed = false;
    bool stayAwake = false;

    void setWakeAt(const QDateTime &at) override
    {
        if (at != wakeAt)
            ++wakeRequests;
        wakeAt = at;
    }
    QString wakeProblem() const override { return problem; }
    void setArmed(bool on) override { armed = on; }
    void setStayAwake(bool on) override { stayAwake = on; }
    void finish() override { wakeAt = {}; }
};
