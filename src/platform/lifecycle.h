#pragma once

/// Ends the program; behind an interface so that tests see the request instead.
class Lifecycle
{
public:
    virtual ~Lifecycle() = default;
    /// Ends the program as soon as the current handler returns.
    virtual void quit() = 0;
};
