#include "desktopurlopener.h"

#include <QDesktopServices>
#include <QUrl>

void DesktopUrlOpener::openUrl(const QUrl &url)
{
    QDesktopServices::openUrl(url);
}
