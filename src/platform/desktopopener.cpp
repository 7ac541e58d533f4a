#include "desktopopener.h"

#include "desktopapps.h"
#include "detachedspawn.h"
#include "openwithdialog.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusUnixFileDescriptor>
#include <QFile>
#include <QFileInfo>
#include <QVariantMap>

#include <fcntl.h>
#include <unistd.h>

namespace {

const QString PortalService = QStringLiteral("org.freedesktop.portal.Desktop");

void showChooser(const QString &path)
{
    // The chooser is not modal: the clock must go on ticking while it is open.
    auto *chooser = new OpenWithDialog(path);
    chooser->setAttribute(Qt::WA_DeleteOnClose);
    chooser->show();
}

bool askPortal(const QString &path)
{
    const int fd = ::open(QFile::encodeName(path).constData(), O_PATH | O_CLOEXEC);
    if (fd < 0)
        return false;
    const QDBusUnixFileDescriptor file(fd);   // keeps a duplicate
    ::close(fd);
    QDBusMessage request = QDBusMessage::createMethodCall(
        PortalService, QStringLiteral("/org/freedesktop/portal/desktop"),
        QStringLiteral("org.freedesktop.portal.OpenURI"), QStringLiteral("OpenFile"));
    request << QString() << QVariant::fromValue(file)
            << QVariantMap{{QStringLiteral("ask"), true}};
    // A portal that is not there, cannot be started or refuses leaves the file to our own
    // chooser. Asked without looking first: every call on this thread must be asynchronous,
    // since a stalled bus would stop the clock.
    auto *answer = new QDBusPendingCallWatcher(QDBusConnection::sessionBus().asyncCall(request));
    QObject::connect(answer, &QDBusPendingCallWatcher::finished, answer,
                     [path](QDBusPendingCallWatcher *call) {
                         if (call->isError())
                             showChooser(path);
                         call->deleteLater();
                     });
    return true;
}

} // namespace

bool DesktopOpener::isProgram(const QString &path) const
{
    const QFileInfo file(path);
    return file.isFile() && file.isExecutable();
}

bool DesktopOpener::runProgram(const QString &path)
{
    return spawnDetached(QFile::encodeName(QFileInfo(path).absoluteFilePath()));
}

Opener::Result DesktopOpener::openDocument(const QString &path)
{
    if (!QFileInfo::exists(path))
        return Result::Failed;
    const QString app = DesktopApps::defaultFor(path);
    if (app.isEmpty())
        return Result::NoApplication;
    return DesktopApps::launch(app, path) ? Result::Started : Result::Failed;
}

void DesktopOpener::openWith(const QString &path)
{
    if (askPortal(path))
        return;
    showChooser(path);
}
