#include "detachedspawn.h"

#include <QList>

#include <cerrno>
#include <csignal>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

extern char **environ;

bool spawnDetached(const QByteArray &program, const QByteArrayList &arguments)
{
    // Not QProcess::startDetached: in Qt 6.4 it leaves every descriptor of ours open in the
    // child (the sound server's, the sound file...). A child in between ends at once, so the
    // program is not ours to reap.
    QList<char *> argv;
    argv << const_cast<char *>(program.constData());
    for (const QByteArray &argument : arguments)
        argv << const_cast<char *>(argument.constData());
    argv << nullptr;

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
        _exit(posix_spawn(&started, argv[0], &actions, &attributes, argv.data(), environ) == 0
                  ? 0
                  : 1);
    }
    int status = -1;
    while (between > 0 && ::waitpid(between, &status, 0) < 0 && errno == EINTR) {
    }
    posix_spawnattr_destroy(&attributes);
    posix_spawn_file_actions_destroy(&actions);
    return between > 0 && WIFEXITED(status) && WEXITSTATUS(status) == 0;
}
