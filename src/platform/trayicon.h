#pragma once

#include <QObject>
#include <QPoint>

class QIcon;
class QMenu;

/// One mouse event on the notification-area icon, as the desktop reported it.
struct TrayIconEvent
{
    enum Kind { Move, Press, Release, DoubleClick };
    Kind kind = Move;
    Qt::MouseButton button = Qt::NoButton;
    QPoint globalPos;
    bool overIcon = true;   // false for a release after the pointer left the icon
};

/// An icon in the desktop's notification area; behind an interface so that tests see the
/// requests and send the mouse events themselves.
class TrayIcon : public QObject
{
    Q_OBJECT
public:
    using QObject::QObject;

    /// Whether the desktop has a notification area right now.
    virtual bool isAvailable() const = 0;
    /// Whether the icon is in a notification area right now.
    virtual bool isShown() const = 0;
    /// Puts the icon into the notification area, now or as soon as one appears. Where the
    /// desktop draws the icon's menu itself, it draws menu.
    virtual void show(const QIcon &picture, const QString &tip, QMenu *menu) = 0;
    /// Takes the icon away; nothing happens if it is gone already.
    virtual void hide() = 0;
    /// Pops menu up at a point of the screen.
    virtual void popUp(QMenu *menu, const QPoint &globalPos) = 0;

signals:
    void mouse(const TrayIconEvent &event);
    /// The icon came into a notification area or left it.
    void shownChanged();
};
