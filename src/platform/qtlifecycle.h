#pragma once

#include "lifecycle.h"

/// Lifecycle that leaves the application's event loop.
class QtLifecycle final : public Lifecycle
{
public:
    void quit() override;
};
