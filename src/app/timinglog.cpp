#include "timinglog.h"

#include "forms.h"
#include "mainfrm.h"

#include <QApplication>
#include <QDateTime>
#include <QEvent>
#include <QLoggingCategory>
#include <QTimer>
#include <QWidget>
#include <QWindow>

namespace {

Q_LOGGING_CATEGORY(lcTiming, "wakemere.timing", QtWarningMsg)

// Wall-clock milliseconds, so that a script can set them against its own clock.
void mark(const char *what, const QString &detail = QString(),
          qint64 when = QDateTime::currentMSecsSinceEpoch())
{
    qCInfo(lcTiming).noquote() << "timing" << what << when << detail;
}

QWidget *widgetOf(QWindow *window)
{
    const auto widgets = QApplication::topLevelWidgets();
    for (QWidget *widget : widgets) {
        if (widget->windowHandle() == window)
            return widget;
    }
    return nullptr;
}

} // namespace

void TimingLog::markStart()
{
    if (lcTiming().isInfoEnabled())
        mark("main");
}

void TimingLog::installIfEnabled(Forms &forms)
{
    if (lcTiming().isInfoEnabled())
        new TimingLog(forms);
}

TimingLog::TimingLog(Forms &forms)
    : QObject(&forms)
{
    mainfrm *main = forms.mainForm();
    if (!main)
        return;
    qApp->installEventFilter(this);
    // Connected after the window's own handler, so the clock is on the label already.
    m_clock = main->findChild<QTimer *>(QStringLiteral("Timer1"));
    if (m_clock)
        connect(m_clock, &QTimer::timeout, this, [] { mark("first-tick"); },
                Qt::SingleShotConnection);
    // Logged once the alarm was carried out; the tick that found it due is logged with it.
    connect(main, &mainfrm::alarmDue, this, [this](int slot) {
        mark("alarm-tick", QString::number(slot), m_lastTick);
        mark("alarm-due", QString::number(slot));
    });
}

bool TimingLog::eventFilter(QObject *watched, QEvent *event)
{
    switch (event->type()) {
    case QEvent::Timer:
        if (watched == m_clock)
            m_lastTick = QDateTime::currentMSecsSinceEpoch();
        break;
    case QEvent::Expose: {
        auto *window = qobject_cast<QWindow *>(watched);
        if (!window || !window->isExposed() || window->property("timingSeen").toBool())
            break;
        window->setProperty("timingSeen", true);
        const QWidget *widget = widgetOf(window);
        const QString name = widget ? widget->objectName() : QString();
        const char *what = name == QLatin1String("mainfrm") && !m_mainShown ? "main-shown"
                           : name == QLatin1String("activefrm")             ? "alarm-shown"
                                                                             : "window-shown";
        if (name == QLatin1String("mainfrm"))
            m_mainShown = true;
        // Posted, so that it comes after the window's first frame was drawn and sent.
        QMetaObject::invokeMethod(
            this, [what, name] { mark(what, name); }, Qt::QueuedConnection);
        break;
    }
    case QEvent::KeyRelease:
    case QEvent::MouseButtonRelease:
        // The alarm's Close acts on this release: the moment its sound is told to stop.
        if (watched->objectName() == QLatin1String("shutoff"))
            mark("alarm-close");
        break;
    case QEvent::Paint: {
        if (!watched->isWidgetType())
            break;
        // A hidden window must cost nothing: any drawing there is worth a line.
        auto *widget = static_cast<QWidget *>(watched);
        const QWindow *window = widget->window()->windowHandle();
        if (!window || !window->isExposed())
            mark("paint-unexposed", widget->objectName());
        break;
    }
    default:
        break;
    }
    return false;
}
