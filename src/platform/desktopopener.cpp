#include "desktopopener.h"

#include "desktopapps.h"
#include "openwithdialog.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusUnixFileDescriptor>
#include <QFile>
#include <QFileInfo>
#include <QVariantMap>

#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

extern char **environ;

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
    // Not QProcess::startDetached: it leaves every descriptor of ours open in the program (the
    // sound server's, the sound file...). The program gets standard input, output and error,
    // a session of its own and default signal handling; a child in between ends at once, so
    // the program is not ours to reap.
    const QByteArray program = QFile::encodeName(QFileInfo(path).absoluteFilePath());
    char *const argv[] = {const_cast<char *>(program.constData()), nullptr};
    posix_spawn_file_actions_t actions;
    posix_spawnattr_t attributes;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addclosefrom_np(&actions, STDERR_FILENO + 1);
    posix_spawnattr_init(&attributes);
    sigset_t none;
    sigset_t all;
    sigemptyset(&none);
    sigfillset(&all);
    posix_spawnattr_setsigmask(&attributes, &none);
    posix_spawnattr_setsigdefault(&attributes, &all);
    posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSID | POSIX_SPAWN_SETSIGMASK
                                              | POSIX_SPAWN_SETSIGDEF);

    const pid_t between = ::fork();
    if (between == 0) {
        pid_t started;
        _exit(posix_spawn(&started, argv[0], &actions, &attributes, argv, environ) == 0 ? 0 : 1);
    }
    int status = -1;
    while (between > 0 && ::waitpid(between, &status, 0) < 0 && errno == EINTR) {
    }
    posix_spawnattr_destroy(&attributes);
    posix_spawn_file_actions_destroy(&actions);
    return between > 0 && WIFEXITED(status) && WEXITSTATUS(status) == 0;
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
