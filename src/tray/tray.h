#pragma once

#include <QObject>

class QIcon;
class QMenu;
class QTimer;
class TrayIcon;
struct TrayIconEvent;

/// The main window's icon in the notification area: keeps it there while it is wanted and
/// turns its mouse events into restore and menu requests.
class Tray : public QObject
{
    Q_OBJECT
public:
    Tray(TrayIcon &icon, QMenu *menu, QObject *parent = nullptr);
    ~Tray() override;

    /// Puts the icon up, now or as soon as the desktop has a notification area.
    void add(const QIcon &picture, const QString &tip);
    /// Takes the icon away for good; harmless when it is gone already.
    void remove();
    /// Whether the icon is in a notification area now, so that a window hidden there can
    /// be brought back.
    bool isShown() const;

signals:
    void restoreRequested();
    /// The icon is wanted but no notification area shows it: none yet, or it went away.
    void missing();

private:
    void iconMouse(const TrayIconEvent &event);
    void update();

    TrayIcon &m_icon;
    QMenu *m_menu;
    QTimer *m_poll;
    bool m_wanted = false;
};
