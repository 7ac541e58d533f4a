// Random input for the program's windows: clicks, keys, menu commands, notification-area
// events and clock ticks from a seeded generator, on fakes for every outside concern. Built
// with AddressSanitizer and UBSan by tests/monkey/run.sh; a failing run prints its seed, and
//   monkey --seed N --events M [--log]
// replays it, --log showing each event. Afterwards the program must still answer and fire an
// armed alarm.
#include "fakedesk.h"

#include <QAction>
#include <QApplication>
#include <QCommandLineParser>
#include <QElapsedTimer>
#include <QLabel>
#include <QMenu>
#include <QRadioButton>
#include <QTimer>

#include <algorithm>
#include <cstdio>
#include <memory>
#include <random>
#include <tuple>

namespace {

// The alarm window's countdown timer runs this slowly under the monkey: a day.
constexpr int FrozenMs = 24 * 3600 * 1000;
bool logEvents = false;
int eventNumber = 0;

void note(const QString &event)
{
    if (logEvents)
        std::fprintf(stderr, "monkey: #%d %s\n", eventNumber, qPrintable(event));
}

QString nameOf(const QWidget *w)
{
    return QLatin1String(w->metaObject()->className()) + QLatin1Char(' ') + w->objectName();
}

/// One run of the program, from start to its end, on fakes.
struct Instance : FakeDesk
{
    Instance()
    {
        clock.current = QDateTime(QDate(2026, 12, 7), QTime(7, 29, 0));
        main->show();
    }
    bool ended() const { return lifecycle.quits > 0; }
    int powerAnswers = 0;
    /// Whether the user can still get at the running program: a window on screen or on the
    /// task bar, the main window's icon in the notification area, or a snooze counting down
    /// unseen (at its end the alarm shows again).
    bool reachable() const
    {
        for (const QWidget *window : windows()) {
            if (window->isVisible())
                return true;
        }
        return (forms.mainFormIfLoaded() && trayIcon.isShown())
               || (alarm() && child<QTimer>(alarm(), "Timer1")->isActive());
    }
};

struct Monkey
{
    explicit Monkey(quint64 seed) : m_random(seed) {}
    std::mt19937_64 m_random;
    std::unique_ptr<Instance> m_instance;
    int done = 0;

    int below(int n) { return std::uniform_int_distribution<int>(0, n - 1)(m_random); }
    bool chance(double p) { return std::bernoulli_distribution(p)(m_random); }
    template<typename T>
    T oneOf(const QList<T> &list) { return list.at(below(int(list.size()))); }
    mainfrm *main() const { return m_instance->forms.mainFormIfLoaded(); }

    bool run(int events, qint64 maxMsecs)
    {
        m_instance = std::make_unique<Instance>();
        settle();
        QElapsedTimer elapsed;
        elapsed.start();
        for (; done < events && elapsed.elapsed() < maxMsecs; ++done) {
            eventNumber = done + 1;
            step();
            // The system answers a shutdown or restart request at once, either way.
            FakePowerControl &power = m_instance->power;
            while (m_instance->powerAnswers < power.requests.size()) {
                ++m_instance->powerAnswers;
                const auto answer = oneOf(QList<PowerControl::Answer>{
                    PowerControl::Accepted, PowerControl::Refused, PowerControl::NoAnswer});
                note(QStringLiteral("power request answered %1").arg(int(answer)));
                power.answer(answer, QStringLiteral("Access denied"));
            }
            settle();
            if (!m_instance->ended() && !m_instance->reachable()) {
                std::fprintf(stderr, "monkey: the program runs with no window and no icon left\n");
                return false;
            }
            restartIfEnded();
        }
        return true;
    }

    void step()
    {
        // Per thousand events.
        static const std::pair<int, void (Monkey::*)()> kinds[] = {
            {3, &Monkey::timePasses}, {397, &Monkey::click}, {350, &Monkey::key},
            {80, &Monkey::clockTick}, {30, &Monkey::alarmDue}, {70, &Monkey::menuCommand},
            {30, &Monkey::trayEvent}, {15, &Monkey::windowState}, {25, &Monkey::arm}};
        int dice = below(1000);
        for (const auto &[weight, act] : kinds) {
            if ((dice -= weight) < 0)
                return (this->*act)();
        }
    }

    void timePasses()
    {
        // Long enough for Qt's own short timers: a mnemonic's animated click, a popup's delays.
        note(QStringLiteral("time passes"));
        QElapsedTimer waited;
        waited.start();
        while (waited.elapsed() < 150)
            QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    }

    void windowState()
    {
        if (mainfrm *m = main()) {
            const bool minimise = chance(0.6);
            note(minimise ? QStringLiteral("minimise") : QStringLiteral("restore"));
            minimise ? m->showMinimized() : m->showNormal();
        }
    }

    QList<QWidget *> visibleWindows() const
    {
        QList<QWidget *> windows;
        for (QWidget *window : QApplication::topLevelWidgets()) {
            if (window->isVisible() && !window->isMinimized())
                windows << window;
        }
        // Qt keeps its windows in a hash: the order must not depend on where they were allocated.
        const auto key = [](const QWidget *w) {
            const QRect g = w->geometry();
            return std::make_tuple(nameOf(w), g.x(), g.y(), g.width(), g.height());
        };
        std::stable_sort(windows.begin(), windows.end(),
                         [&key](const QWidget *a, const QWidget *b) { return key(a) < key(b); });
        return windows;
    }

    void click()
    {
        const QList<QWidget *> windows = visibleWindows();
        if (windows.isEmpty())
            return;
        QWidget *window = oneOf(windows);
        const QPoint point(below(qMax(1, window->width())), below(qMax(1, window->height())));
        QWidget *target = window->childAt(point);
        if (!target)
            target = window;
        const QPoint local = target->mapFrom(window, point);
        const int b = below(20);
        const Qt::MouseButton button = b < 16 ? Qt::LeftButton : b < 19 ? Qt::RightButton
                                                                        : Qt::MiddleButton;
        const bool twice = chance(0.08);
        note(QStringLiteral("click %1%2 at %3,%4 of %5")
                 .arg(twice ? "double " : "").arg(button).arg(point.x()).arg(point.y())
                 .arg(nameOf(target)));
        if (twice)
            QTest::mouseDClick(target, button, Qt::NoModifier, local);
        else
            QTest::mouseClick(target, button, Qt::NoModifier, local);
    }

    void key()
    {
        static const QList<QKeyCombination> specials = {
            Qt::Key_Tab, Qt::SHIFT | Qt::Key_Backtab, Qt::Key_Return, Qt::Key_Escape, Qt::Key_Left,
            Qt::Key_Right, Qt::Key_Up, Qt::Key_Down, Qt::Key_Backspace, Qt::Key_Delete,
            Qt::Key_Space, Qt::Key_Home, Qt::Key_End, Qt::Key_PageDown, Qt::Key_F1,
            Qt::ALT | Qt::Key_F4, Qt::CTRL | Qt::Key_X, Qt::CTRL | Qt::Key_M, Qt::CTRL | Qt::Key_V,
            Qt::CTRL | Qt::Key_Z, Qt::ALT | Qt::Key_A, Qt::ALT | Qt::Key_D, Qt::ALT | Qt::Key_B,
            Qt::ALT | Qt::Key_Z, Qt::ALT | Qt::Key_C, Qt::ALT | Qt::Key_X};
        static const char printable[] = "0123456789012345678901234567890123456789abcxyz .,-+e";

        QWidget *target = QApplication::activePopupWidget();
        target = target ? target : QApplication::focusWidget();
        target = target ? target : QApplication::activeWindow();
        if (!target) {
            const QList<QWidget *> windows = visibleWindows();
            if (windows.isEmpty())
                return;
            target = oneOf(windows);
            target->activateWindow();
        }
        if (chance(0.6)) {
            const char c = printable[below(int(sizeof printable) - 1)];
            note(QStringLiteral("key '%1' to %2").arg(QLatin1Char(c)).arg(nameOf(target)));
            QTest::keyClick(target, c);
        } else {
            const QKeyCombination k = oneOf(specials);
            note(QStringLiteral("key %1 to %2").arg(QKeySequence(k).toString(), nameOf(target)));
            QTest::keyClick(target, k.key(), k.keyboardModifiers());
        }
    }

    void menuCommand()
    {
        if (!main())
            return;
        // Ending the program is one command among several, but a rarer one, so that runs go deep.
        const char *name = chance(0.02) ? oneOf<const char *>({"mnuFileExit", "exit"})
                                        : oneOf<const char *>({"mnuMessage", "mnuVol",
                                                               "mnuHelpAbout", "restore"});
        note(QStringLiteral("menu %1").arg(QLatin1String(name)));
        if (auto *action = main()->findChild<QAction *>(QLatin1String(name)))
            action->trigger();
    }

    void trayEvent()
    {
        FakeTrayIcon &tray = m_instance->trayIcon;
        if (below(10) == 0) {
            note(QStringLiteral("tray host ") + (tray.available ? "quits" : "starts"));
            tray.setAvailable(!tray.available);
            return;
        }
        const auto kind = oneOf<TrayIconEvent::Kind>({TrayIconEvent::Move, TrayIconEvent::Press,
                                                      TrayIconEvent::Release,
                                                      TrayIconEvent::DoubleClick});
        const auto button = oneOf<Qt::MouseButton>({Qt::LeftButton, Qt::RightButton,
                                                    Qt::MiddleButton});
        note(QStringLiteral("tray mouse %1 button %2").arg(kind).arg(button));
        tray.popUps.clear();   // only a menu popped up now is certain to be alive
        tray.send(kind, button, QPoint(below(1280), below(1024)), chance(0.9));
        if (!tray.popUps.isEmpty() && chance(0.5)) {
            // The desktop shows the icon's menu; the monkey picks from it or lets it go.
            const QList<QAction *> actions = tray.popUps.takeLast().menu->actions();
            if (!actions.isEmpty() && chance(0.3)) {
                QAction *action = oneOf(actions);
                note(QStringLiteral("tray menu ") + action->objectName());
                action->trigger();
            }
        }
    }

    void tick()
    {
        if (mainfrm *m = main())
            m->Timer1_Timer();
        activefrm *alarm = m_instance->alarm();
        if (alarm && child<QTimer>(alarm, "Timer1")->isActive())
            alarm->Timer1_Timer();
    }

    void clockTick()
    {
        FakeClock &clock = m_instance->clock;
        const int kind = below(20);
        // Mostly seconds, some late or early, now and then a jump back or forward.
        clock.advance(kind < 14 ? 1000 + below(40) - 20
                      : kind < 16 ? below(1000)
                      : kind < 18 ? 1000 * (2 + below(5))
                      : kind == 18 ? -1000 * (1 + below(7200))
                                   : 1000 * (1 + below(86400)));
        note(QStringLiteral("tick at ") + clock.current.toString(Qt::ISODateWithMs));
        tick();
    }

    void alarmDue()
    {
        // Random ticks seldom meet an armed second: go to one of them now and then.
        QList<int> armed;
        for (int n = 1; n <= AlarmTable::SlotCount; ++n) {
            if (m_instance->table.slot(n).isSet())
                armed << n;
        }
        if (armed.isEmpty())
            return clockTick();
        const AlarmSlot &slot = m_instance->table.slot(oneOf(armed));
        const QTime due(qBound(0, int(slot.almHour + slot.almOffset), 23),
                        qBound(0, int(slot.almMin), 59), qBound(0, int(slot.almSec), 59));
        FakeClock &clock = m_instance->clock;
        const QDateTime at(clock.current.date().addDays(below(2)), due);
        clock.current = at.addMSecs(-995);
        note(QStringLiteral("alarm due at ") + at.toString(Qt::ISODate));
        tick();
        clock.advance(1000);
        tick();
    }

    void arm()
    {
        // The user arms a slot on purpose now and then, so that alarms are due and act.
        if (!main() || !main()->isVisible())
            return;
        note(QStringLiteral("arm a slot"));
        m_instance->pick("Combo2", below(AlarmTable::SlotCount));
        m_instance->pick("Combo1", below(6));
        QCoreApplication::processEvents();
        if (!main())
            return;
        child<QLineEdit>(main(), "hourtb")->setText(QString::number(1 + below(12)));
        child<QLineEdit>(main(), "min")->setText(QString::number(below(60)));
        child<QLineEdit>(main(), "secs")->setText(QString::number(below(60)));
        child<QRadioButton>(main(), chance(0.5) ? "Option1" : "Option2")->click();
        m_instance->dialogs.nextFile = std::nullopt;
        if (chance(0.8))
            m_instance->dialogs.nextFile = QStringLiteral("/a.wav");
        FakeDesk::click(main(), "browse");
        FakeDesk::click(main(), "activate");
    }

    void settle()
    {
        // Timers wait for the monkey's "time passes" events, so that a seed replays the same run
        // however fast the machine is; the alarm window counts down on the monkey's ticks only.
        QCoreApplication::processEvents(QEventLoop::X11ExcludeTimers);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        if (activefrm *alarm = m_instance ? m_instance->alarm() : nullptr) {
            auto *countdown = child<QTimer>(alarm, "Timer1");
            if (countdown->isActive() && countdown->interval() != FrozenMs)
                countdown->setInterval(FrozenMs);
        }
    }

    void restartIfEnded()
    {
        if (!m_instance->ended())
            return;
        note(QStringLiteral("the program ended; a fresh one starts"));
        m_instance.reset();
        settle();
        // Every window of the program went with it; only Qt's own tool tip may stay.
        for (QWidget *window : QApplication::topLevelWidgets()) {
            if (!window->inherits("QTipLabel"))
                qFatal("a window outlived the program: %s", qPrintable(nameOf(window)));
        }
        m_instance = std::make_unique<Instance>();
        m_instance->dialogs.nextFile = QStringLiteral("/music/alarm.mp3");
        settle();
    }

    bool finalCheck()
    {
        const auto fail = [](const char *why) {
            return std::fprintf(stderr, "monkey: %s\n", why), false;
        };
        while (QWidget *popup = QApplication::activePopupWidget())
            popup->close();
        settle();
        if (!main()) {
            // Without its main window the program ends once the user closes what is left.
            for (QWidget *window : visibleWindows())
                window->close();
            settle();
            if (!m_instance->ended())
                m_instance->lifecycle.quit();
            restartIfEnded();
        }
        Instance &program = *m_instance;
        program.main = main();
        program.main->restore_Click();
        settle();
        if (!program.main->isVisible())
            return fail("the main window does not come back");
        program.pick("Combo2", 0);
        program.pick("Combo1", PlaySound);
        program.dialogs.nextFile = QStringLiteral("/music/final.mp3");
        FakeDesk::click(program.main, "browse");
        for (const char *box : {"hourtb", "min", "secs"})
            FakeDesk::type(program.main, box, QStringLiteral("7"));
        child<QRadioButton>(program.main, "Option1")->click();
        FakeDesk::click(program.main, "activate");
        settle();
        const QString status = child<QLabel>(program.main, "statuslbl")->text();
        if (status != QLatin1String("Alarm 1 Set For 7:7:7 AM"))
            return fail("Activate does not arm the alarm");
        // A day never seen before, so that the alarm has not acted at this second yet.
        program.clock.current.setDate(program.clock.current.date().addDays(2));
        program.clock.current.setTime(QTime(7, 7, 6, 5));
        tick();
        program.clock.advance(1000);
        tick();
        settle();
        activefrm *alarm = program.alarm();
        if (!alarm || !alarm->isVisible() || !program.sound.playing
            || program.sound.last() != QLatin1String("/music/final.mp3"))
            return fail("the armed alarm did not fire");
        FakeDesk::click(alarm, "shutoff");
        settle();
        return !program.sound.playing || fail("the alarm's sound goes on after Close");
    }
};

} // namespace

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QApplication::setQuitOnLastWindowClosed(false);
    // QTest complains about every key no widget takes; the offscreen platform about raises.
    static const QtMessageHandler defaultHandler = qInstallMessageHandler(
        [](QtMsgType type, const QMessageLogContext &context, const QString &text) {
            if (!text.startsWith(QLatin1String("Keyboard event not accepted"))
                && !text.startsWith(QLatin1String("This plugin does not support")))
                defaultHandler(type, context, text);
        });

    QCommandLineParser options;
    const QString n = QStringLiteral("N");
    options.addOptions({{QStringLiteral("seed"), {}, n},
                        {QStringLiteral("events"), {}, n, QStringLiteral("30000")},
                        {QStringLiteral("max-seconds"), {}, n, QStringLiteral("600")},
                        {QStringLiteral("log"), {}}});
    options.process(app);
    logEvents = options.isSet(QStringLiteral("log"));
    const quint64 seed = options.isSet(QStringLiteral("seed"))
                             ? options.value(QStringLiteral("seed")).toULongLong()
                             : std::random_device{}();
    const int events = options.value(QStringLiteral("events")).toInt();
    const qint64 maxSeconds = options.value(QStringLiteral("max-seconds")).toLongLong();
    std::printf("monkey: seed %llu, up to %d events\n", static_cast<unsigned long long>(seed),
                events);
    std::fflush(stdout);
    Monkey monkey(seed);
    QElapsedTimer elapsed;
    elapsed.start();
    const bool answers = monkey.run(events, maxSeconds * 1000) && monkey.finalCheck();
    std::printf("monkey: %d events in %.1f s; afterwards it %s\n", monkey.done,
                elapsed.elapsed() / 1000.0, answers ? "answers and fires an armed alarm" : "FAILS");
    if (!answers)
        std::printf("monkey: replay with --seed %llu --events %d --log\n",
                    static_cast<unsigned long long>(seed), monkey.done);
    return answers ? 0 : 1;
}
