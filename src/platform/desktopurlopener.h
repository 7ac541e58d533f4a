#pragma once

#include "urlopener.h"

/// UrlOpener that asks the desktop (xdg-open, and through it the portal or the desktop's own
/// opener) to open the link.
class DesktopUrlOpener final : public UrlOpener
{
public:
    void openUrl(const QUrl &url) override;
};
