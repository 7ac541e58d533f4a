// The floor the benchmarks compare Wakemere with: one window with a label that a 1 s timer
// updates, and an icon in the notification area. Minimising hides the window in the tray, a
// click on the icon brings it back. --hidden starts it hidden in the tray.
#include <QApplication>
#include <QDateTime>
#include <QLabel>
#include <QLoggingCategory>
#include <QPixmap>
#include <QSystemTrayIcon>
#include <QTimer>
#include <QWindow>

namespace {

Q_LOGGING_CATEGORY(lcTiming, "minimal.timing", QtWarningMsg)

void mark(const char *what)
{
    qCInfo(lcTiming).noquote() << "timing" << what << QDateTime::currentMSecsSinceEpoch();
}

/// The window: a clock label; hides in the tray when minimised while the tray shows its icon.
class Window : public QLabel
{
public:
    explicit Window(QSystemTrayIcon &tray)
        : m_tray(tray)
    {
        setAlignment(Qt::AlignCenter);
        setWindowTitle(QStringLiteral("Minimal"));
        resize(320, 120);
    }

protected:
    void changeEvent(QEvent *event) override
    {
        QLabel::changeEvent(event);
        if (event->type() == QEvent::WindowStateChange && isMinimized() && m_tray.isVisible()
            && QSystemTrayIcon::isSystemTrayAvailable())
            QTimer::singleShot(0, this, [this] {
                if (isMinimized())
                    hide();
            });
    }

    void closeEvent(QCloseEvent *) override { QCoreApplication::quit(); }

private:
    QSystemTrayIcon &m_tray;
};

/// Logs when the window is first drawn, like Wakemere's timing log.
class ExposeWatch : public QObject
{
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::Expose && static_cast<QWindow *>(watched)->isExposed()) {
            watched->removeEventFilter(this);
            QMetaObject::invokeMethod(this, [] { mark("main-shown"); }, Qt::QueuedConnection);
        }
        return false;
    }
};

} // namespace

int main(int argc, char *argv[])
{
    if (lcTiming().isInfoEnabled())
        mark("main");
    QApplication app(argc, argv);
    QApplication::setQuitOnLastWindowClosed(false);
    const bool hidden = app.arguments().contains(QStringLiteral("--hidden"));

    QPixmap picture(32, 32);
    picture.fill(Qt::darkRed);
    QSystemTrayIcon tray{QIcon(picture)};
    Window window(tray);
    QObject::connect(&tray, &QSystemTrayIcon::activated, &window, [&window] {
        window.setWindowState(window.windowState() & ~Qt::WindowMinimized);
        window.show();
        window.raise();
        window.activateWindow();
    });
    tray.show();

    // The time shows from the first frame, as in any window that opens with something to read.
    const auto showTime = [&window] {
        window.setText(QTime::currentTime().toString(QStringLiteral("HH:mm:ss")));
    };
    showTime();
    QTimer clock;
    clock.setInterval(1000);
    QObject::connect(&clock, &QTimer::timeout, &window, showTime);
    if (lcTiming().isInfoEnabled())
        QObject::connect(&clock, &QTimer::timeout, &window, [] { mark("first-tick"); },
                         Qt::SingleShotConnection);
    clock.start();

    if (!hidden) {
        window.winId();
        window.windowHandle()->installEventFilter(new ExposeWatch(&window));
        window.show();
    }
    return app.exec();
}
