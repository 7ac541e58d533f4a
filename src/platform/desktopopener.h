#pragma once

#include "opener.h"

/// Opener on the Linux desktop: programs start as processes of their own, documents open by the
/// desktop's MIME associations, and "Open With" goes to the desktop portal where one runs.
class DesktopOpener final : public Opener
{
public:
    bool isProgram(const QString &path) const override;
    bool runProgram(const QString &path) override;
    Result openDocument(const QString &path) override;
    void openWith(const QString &path) override;
};
