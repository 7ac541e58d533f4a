#pragma once

#include <QObject>
#include <QString>

class QSocketNotifier;

/// Keeps one copy of the program per user session: a later start asks the running copy to show
/// its main window and then gives up, so no alarm is armed twice.
class SingleInstance : public QObject
{
    Q_OBJECT
public:
    /// The socket lives at serverName: a path, or a bare name in the runtime folder.
    explicit SingleInstance(const QString &serverName, QObject *parent = nullptr);
    ~SingleInstance() override;

    /// True when this copy is to run: it is the first and now listens for later ones, or the
    /// guard cannot be used (a path of another user, no socket possible), which it says on
    /// standard error. False when another copy of this user runs and was asked to show itself.
    bool claim();

    /// The default server name: the user's runtime folder, or /tmp with the user's id.
    static QString defaultServerName();

signals:
    /// A later copy was started.
    void activationRequested();

private:
    enum class Found { Nobody, Shown, Unusable };

    int openLock(QString *problem) const;
    Found askRunningCopy(QString *problem) const;
    bool listen(QString *problem);
    void acceptPeers();
    void readPeer(int peer, QSocketNotifier *notifier, QByteArray &received);

    QString m_path;
    int m_listener = -1;
    QSocketNotifier *m_listening = nullptr;
};
