#pragma once

#include <QObject>

class QSocketNotifier;

/// Turns SIGTERM, SIGINT and SIGHUP (logging out sends them) into an ordinary end of the
/// program, so that what must not outlive it, the wake-up request and the tray icon, goes
/// with it. The handler only writes to a pipe; the event loop reads it.
class QuitSignals : public QObject
{
    Q_OBJECT
public:
    explicit QuitSignals(QObject *parent = nullptr);
    ~QuitSignals() override;

signals:
    void requested();

private:
    QSocketNotifier *m_notifier = nullptr;
};
