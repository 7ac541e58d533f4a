#include "blinktimeout.h"

#include <QApplication>
#include <QEvent>
#include <QTimer>

BlinkTimeout::BlinkTimeout(int timeoutMs, QObject *parent)
    : QObject(parent)
    , m_timer(new QTimer(this))
    , m_flashTime(QApplication::cursorFlashTime())
{
    m_timer->setSingleShot(true);
    m_timer->setInterval(timeoutMs);
    connect(m_timer, &QTimer::timeout, this, &BlinkTimeout::stopBlinking);
    qApp->installEventFilter(this);
    m_timer->start();
}

BlinkTimeout::~BlinkTimeout()
{
    QApplication::setCursorFlashTime(m_flashTime);
}

bool BlinkTimeout::eventFilter(QObject *watched, QEvent *event)
{
    switch (event->type()) {
    case QEvent::KeyPress:
    case QEvent::MouseButtonPress:
    case QEvent::Wheel:
        // Text boxes pick the change up at once.
        if (QApplication::cursorFlashTime() != m_flashTime)
            QApplication::setCursorFlashTime(m_flashTime);
        m_timer->start();
        break;
    default:
        break;
    }
    return QObject::eventFilter(watched, event);
}

void BlinkTimeout::stopBlinking()
{
    QApplication::setCursorFlashTime(0);
}
