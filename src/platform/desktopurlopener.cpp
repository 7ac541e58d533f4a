#include "desktopurlopener.h"

#include <QDesktopServices>
#include <QUrl>

#ifdef Q_OS_UNIX
#include "detachedspawn.h"

#include <unistd.h>
#endif

void DesktopUrlOpener::openUrl(const QUrl &url)
{
#ifdef Q_OS_UNIX
    // QDesktopServices starts xdg-open through QProcess, which in Qt 6.4 hands the mail
    // program every descriptor we hold; and it looks xdg-open up in PATH.
    static const char XdgOpen[] = "/usr/bin/xdg-open";
    if (::access(XdgOpen, X_OK) == 0) {
        spawnDetached(XdgOpen, {url.toEncoded()});
        return;
    }
#endif
    QDesktopServices::openUrl(url);
}
