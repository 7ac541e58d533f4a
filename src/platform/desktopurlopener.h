#pragma once

#include "urlopener.h"

/// UrlOpener on QDesktopServices, which asks the desktop (xdg-open, portals) to open the link.
class DesktopUrlOpener final : public UrlOpener
{
public:
    void openUrl(const QUrl &url) override;
};
