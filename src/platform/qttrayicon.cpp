#include "qttrayicon.h"

#include <QApplication>
#include <QCursor>
#include <QMenu>
#include <QMouseEvent>
#include <QSystemTrayIcon>

namespace {

// In the XEmbed tray Qt draws the icon in a widget of this class. Qt reports presses only,
// and acts on them, so its mouse events are taken from that widget directly.
bool isXEmbedIcon(const QObject *object)
{
    return object->isWidgetType() && object->inherits("QSystemTrayIconSys");
}

} // namespace

QtTrayIcon::QtTrayIcon(QObject *parent)
    : TrayIcon(parent)
    , m_icon(new QSystemTrayIcon(this))
{
    // The XEmbed icon widget is created and deleted by Qt whenever a tray comes or goes.
    qApp->installEventFilter(this);
    connect(m_icon, &QSystemTrayIcon::activated, this,
            [this](QSystemTrayIcon::ActivationReason reason) { activated(reason); });
}

bool QtTrayIcon::isAvailable() const
{
    return QSystemTrayIcon::isSystemTrayAvailable();
}

bool QtTrayIcon::isShown() const
{
    // Qt puts a visible icon into a tray by itself as soon as one is there.
    return m_icon->isVisible() && isAvailable();
}

void QtTrayIcon::show(const QIcon &picture, const QString &tip, QMenu *menu)
{
    m_icon->setIcon(picture);
    m_icon->setToolTip(tip);
    // Only a StatusNotifierItem host uses it; the XEmbed icon never sees the press that
    // would open it.
    m_icon->setContextMenu(menu);
    m_icon->show();
}

void QtTrayIcon::hide()
{
    m_icon->hide();
}

void QtTrayIcon::popUp(QMenu *menu, const QPoint &globalPos)
{
    menu->popup(globalPos);
}

void QtTrayIcon::activated(int reason)
{
    // Only a StatusNotifierItem host gets here: it reports whole clicks, and draws the menu
    // itself on a right click.
    TrayIconEvent event;
    event.globalPos = QCursor::pos();
    switch (reason) {
    case QSystemTrayIcon::Trigger:
        event.kind = TrayIconEvent::Release;
        event.button = Qt::LeftButton;
        break;
    case QSystemTrayIcon::DoubleClick:
        event.kind = TrayIconEvent::DoubleClick;
        event.button = Qt::LeftButton;
        break;
    case QSystemTrayIcon::MiddleClick:
        event.kind = TrayIconEvent::Release;
        event.button = Qt::MiddleButton;
        break;
    default:
        return;
    }
    emit mouse(event);
}

bool QtTrayIcon::eventFilter(QObject *watched, QEvent *event)
{
    TrayIconEvent::Kind kind;
    switch (event->type()) {
    case QEvent::MouseMove:
        kind = TrayIconEvent::Move;
        break;
    case QEvent::MouseButtonPress:
        kind = TrayIconEvent::Press;
        break;
    case QEvent::MouseButtonRelease:
        kind = TrayIconEvent::Release;
        break;
    case QEvent::MouseButtonDblClick:
        kind = TrayIconEvent::DoubleClick;
        break;
    case QEvent::Show:
    case QEvent::Hide:
        // Reported once Qt has finished with the tray's change, so isShown() is settled.
        if (isXEmbedIcon(watched))
            QMetaObject::invokeMethod(this, &TrayIcon::shownChanged, Qt::QueuedConnection);
        return false;
    default:
        return false;
    }
    if (!isXEmbedIcon(watched))
        return false;

    const auto *mouseEvent = static_cast<QMouseEvent *>(event);
    const auto *widget = static_cast<const QWidget *>(watched);
    TrayIconEvent trayEvent;
    trayEvent.kind = kind;
    trayEvent.button = mouseEvent->button();
    trayEvent.globalPos = mouseEvent->globalPosition().toPoint();
    trayEvent.overIcon = widget->rect().contains(mouseEvent->position().toPoint());
    emit mouse(trayEvent);
    return true;
}
