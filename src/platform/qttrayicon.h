#pragma once

#include "trayicon.h"

class QSystemTrayIcon;

/// TrayIcon on Qt's tray support: a StatusNotifierItem over D-Bus where the desktop offers
/// one, the XEmbed system tray otherwise.
class QtTrayIcon final : public TrayIcon
{
    Q_OBJECT
public:
    explicit QtTrayIcon(QObject *parent = nullptr);

    bool isAvailable() const override;
    bool isShown() const override;
    void show(const QIcon &picture, const QString &tip, QMenu *menu) override;
    void hide() override;
    void popUp(QMenu *menu, const QPoint &globalPos) override;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void activated(int reason);

    QSystemTrayIcon *m_icon;
};
