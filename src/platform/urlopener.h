#pragma once

class QUrl;

/// Hands a link to the desktop's handler for it, such as the user's mail program.
class UrlOpener
{
public:
    virtual ~UrlOpener() = default;
    /// One request to open the link; failures go unreported.
    virtual void openUrl(const QUrl &url) = 0;
};
