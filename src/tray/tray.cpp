#include "tray.h"

#include "iconaction.h"
#include "trayicon.h"

#include <QTimer>

namespace {

// How often to look for a notification area while the icon has none; the icon reports most
// changes itself, this only catches what it cannot see.
constexpr int PollMs = 5000;

} // namespace

Tray::Tray(TrayIcon &icon, QMenu *menu, QObject *parent)
    : QObject(parent)
    , m_icon(icon)
    , m_menu(menu)
    , m_poll(new QTimer(this))
{
    m_poll->setObjectName(QStringLiteral("trayPoll"));
    m_poll->setInterval(PollMs);
    connect(m_poll, &QTimer::timeout, this, &Tray::update);
    connect(&m_icon, &TrayIcon::mouse, this, &Tray::iconMouse);
    connect(&m_icon, &TrayIcon::shownChanged, this, &Tray::update);
}

Tray::~Tray()
{
    if (m_wanted)
        m_icon.hide();
}

void Tray::add(const QIcon &picture, const QString &tip)
{
    m_wanted = true;
    m_icon.show(picture, tip, m_menu);
    update();
}

void Tray::remove()
{
    m_wanted = false;
    m_icon.hide();
    update();
}

bool Tray::isShown() const
{
    return m_wanted && m_icon.isShown();
}

void Tray::update()
{
    if (!m_wanted || m_icon.isShown()) {
        m_poll->stop();
        return;
    }
    if (!m_poll->isActive())
        m_poll->start();
    emit missing();
}

void Tray::iconMouse(const TrayIconEvent &event)
{
    if (!m_wanted)
        return;
    switch (iconAction(event)) {
    case IconAction::Restore:
        emit restoreRequested();
        break;
    case IconAction::OpenMenu:
        m_icon.popUp(m_menu, event.globalPos);
        break;
    case IconAction::None:
        break;
    }
}
