#pragma once

#include "lifecycle.h"

/// Counts the requests to end the program.
struct FakeLifecycle final : Lifecycle
{
    int quits = 0;
    void quit() override { ++quits; }
};
