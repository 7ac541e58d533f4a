#pragma once

#include "trayicon.h"

#include <QList>

class QMenu;

/// A notification area that records what the program asks of it; the test says whether one
/// is there and sends the icon's mouse events.
struct FakeTrayIcon final : TrayIcon
{
    bool available = true;
    bool visible = false;   // asked to be shown and not hidden since
    struct PopUp
    {
        QMenu *menu;
        QPoint pos;
    };
    QList<PopUp> popUps;

    bool isAvailable() const override { return available; }
    bool isShown() const override { return visible && available; }
    void show(const QIcon &, const QString &, QMenu *) override { visible = true; }
    void hide() override { visible = false; }
    void popUp(QMenu *m, const QPoint &pos) override { popUps.append({m, pos}); }

    void send(TrayIconEvent::Kind kind, Qt::MouseButton button, QPoint pos = {},
              bool overIcon = true)
    {
        emit mouse({kind, button, pos, overIcon});
    }
    /// A tray host starts or quits; reported like the real icon does.
    void setAvailable(bool on) { available = on; emit shownChanged(); }
};
