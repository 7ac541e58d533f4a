// Random input for the program's windows: clicks, keys, menu commands, notification-area
// events and clock ticks from a seeded generator, on fakes for every outside concern. Built
// with AddressSanitizer and UBSan by tests/monkey/run.sh; a failing run prints its seed, and
//   monkey --seed N --events M [--log]
// replays it, --log showing each event. Afterwards the program must still answer and fire an
// armed alarm.
#include "fakedesk.h"

#include <QAction>
#include <QApplication>
#include <QElapsedTimer>
#include <QLabel>
#include <QMenu>
#include <QRadioButton>
#include <QTimer>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <optional>
#include <random>
#include <tuple>

namespace {

// The alarm window's countdown timer runs this slowly under the monkey: a day.
constexpr int FrozenMs = 24 * 3600 * 1000;

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
    /// task bar, or the main window's icon in the notification area.
    bool reachable() const
    {
        for (const QWidget *window : windows()) {
            if (window->isVisible())
                return true;
        }
        if (forms.mainFormIfLoaded() && trayIcon.isShown())
            return true;
        // A snooze set after the alarm window was closed counts down unseen; at its end the
        // sound plays and the window shows, a shutdown ends the program, and with any other
        // action the unseen window goes.
        return alarm() && child<QTimer>(alarm(), "Timer1")->isActive();
    }
};

bool logEvents = false;
int eventNumber = 0;

/// With --log, each event as it is sent: a replay of a failing seed shows the way there.
void note(const QByteArray &event)
{
    if (logEvents)
        std::fprintf(stderr, "monkey: #%d %s\n", eventNumber, event.constData());
}

QtMessageHandler defaultHandler = nullptr;

void messageHandler(QtMsgType type, const QMessageLogContext &context, const QString &text)
{
    // QTest complains about every key no widget takes, random keys are mostly such keys; the
    // offscreen platform about every raise.
    if (text.startsWith(QLatin1String("Keyboard event not accepted"))
        || text.startsWith(QLatin1String("This plugin does not support")))
        return;
    defaultHandler(type, context, text);
}

/// Sends one seeded random event after another to whatever program instance is running.
class Monkey
{
public:
    explicit Monkey(quint64 seed)
        : m_random(seed)
    {
    }

    /// False when the program got out of the user's reach.
    bool run(int events, qint64 maxMsecs);
    bool finalCheck();
    int done() const { return m_done; }

private:
    int below(int n) { return std::uniform_int_distribution<int>(0, n - 1)(m_random); }
    bool chance(double p) { return std::bernoulli_distribution(p)(m_random); }
    template<typename T>
    T oneOf(const QList<T> &list) { return list.at(below(int(list.size()))); }

    void step();
    void click();
    void key();
    void menuCommand();
    void trayEvent();
    void clockTick();
    void alarmDue();
    void windowState();
    void arm();
    void settle();
    void timePasses();
    void restartIfEnded();
    void answerPower();
    QList<QWidget *> visibleWindows() const;
    void tick();

    std::mt19937_64 m_random;
    std::unique_ptr<Instance> m_instance;
    int m_done = 0;
};

bool Monkey::run(int events, qint64 maxMsecs)
{
    m_instance = std::make_unique<Instance>();
    settle();
    QElapsedTimer elapsed;
    elapsed.start();
    while (m_done < events && elapsed.elapsed() < maxMsecs) {
        eventNumber = m_done + 1;
        step();
        answerPower();
        ++m_done;
        settle();
        if (!m_instance->ended() && !m_instance->reachable()) {
            std::fprintf(stderr, "monkey: the program runs with no window and no icon left\n");
            return false;
        }
        restartIfEnded();
    }
    return true;
}

void Monkey::step()
{
    const int dice = below(1000);
    if (dice < 3)
        timePasses();
    else if (dice < 400)
        click();
    else if (dice < 750)
        key();
    else if (dice < 830)
        clockTick();
    else if (dice < 860)
        alarmDue();
    else if (dice < 930)
        menuCommand();
    else if (dice < 960)
        trayEvent();
    else if (dice < 975)
        windowState();
    else
        arm();
}

QList<QWidget *> Monkey::visibleWindows() const
{
    QList<QWidget *> windows;
    for (QWidget *window : QApplication::topLevelWidgets()) {
        if (window->isVisible() && !window->isMinimized())
            windows << window;
    }
    // Qt keeps its windows in a hash: the order must not depend on where they were allocated.
    const auto key = [](const QWidget *w) {
        const QRect g = w->geometry();
        return std::make_tuple(QByteArray(w->metaObject()->className()), w->objectName(),
                               g.x(), g.y(), g.width(), g.height());
    };
    std::stable_sort(windows.begin(), windows.end(),
                     [&key](const QWidget *a, const QWidget *b) { return key(a) < key(b); });
    return windows;
}

void Monkey::click()
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
    const Qt::MouseButton button = b < 16 ? Qt::LeftButton
                                   : b < 19 ? Qt::RightButton
                                            : Qt::MiddleButton;
    const bool twice = chance(0.08);
    note(QByteArrayLiteral("click ") + (twice ? "double " : "") + QByteArray::number(button)
         + " at " + QByteArray::number(point.x()) + "," + QByteArray::number(point.y()) + " of "
         + window->objectName().toLatin1() + "/" + target->metaObject()->className() + " "
         + target->objectName().toLatin1());
    if (twice)
        QTest::mouseDClick(target, button, Qt::NoModifier, local);
    else
        QTest::mouseClick(target, button, Qt::NoModifier, local);
}

void Monkey::key()
{
    struct Key
    {
        Qt::Key key;
        Qt::KeyboardModifiers modifiers;
    };
    static const QList<Key> specials = {
        {Qt::Key_Tab, Qt::NoModifier},        {Qt::Key_Backtab, Qt::ShiftModifier},
        {Qt::Key_Return, Qt::NoModifier},     {Qt::Key_Enter, Qt::KeypadModifier},
        {Qt::Key_Escape, Qt::NoModifier},     {Qt::Key_Left, Qt::NoModifier},
        {Qt::Key_Right, Qt::NoModifier},      {Qt::Key_Up, Qt::NoModifier},
        {Qt::Key_Down, Qt::NoModifier},       {Qt::Key_Backspace, Qt::NoModifier},
        {Qt::Key_Delete, Qt::NoModifier},     {Qt::Key_Space, Qt::NoModifier},
        {Qt::Key_Home, Qt::NoModifier},       {Qt::Key_End, Qt::NoModifier},
        {Qt::Key_PageUp, Qt::NoModifier},     {Qt::Key_PageDown, Qt::NoModifier},
        {Qt::Key_F1, Qt::NoModifier},         {Qt::Key_F4, Qt::AltModifier},
        {Qt::Key_X, Qt::ControlModifier},     {Qt::Key_M, Qt::ControlModifier},
        {Qt::Key_V, Qt::ControlModifier},     {Qt::Key_A, Qt::ControlModifier},
        {Qt::Key_C, Qt::ControlModifier},     {Qt::Key_Z, Qt::ControlModifier},
        {Qt::Key_A, Qt::AltModifier},         {Qt::Key_D, Qt::AltModifier},
        {Qt::Key_B, Qt::AltModifier},         {Qt::Key_Z, Qt::AltModifier},
        {Qt::Key_C, Qt::AltModifier},         {Qt::Key_X, Qt::AltModifier},
    };
    static const char printable[] = "0123456789012345678901234567890123456789abcxyz .,-+e";

    QWidget *target = QApplication::activePopupWidget();
    if (!target)
        target = QApplication::focusWidget();
    if (!target)
        target = QApplication::activeWindow();
    if (!target) {
        const QList<QWidget *> windows = visibleWindows();
        if (windows.isEmpty())
            return;
        target = oneOf(windows);
        target->activateWindow();
    }
    const QByteArray where = QByteArrayLiteral(" to ") + target->metaObject()->className() + " "
                             + target->objectName().toLatin1();
    if (chance(0.6)) {
        const char c = printable[below(int(sizeof printable) - 1)];
        note(QByteArrayLiteral("key '") + c + "'" + where);
        QTest::keyClick(target, c);
    } else {
        const Key k = oneOf(specials);
        note("key " + QKeySequence(k.key | k.modifiers).toString().toLatin1() + where);
        QTest::keyClick(target, k.key, k.modifiers);
    }
}

void Monkey::menuCommand()
{
    mainfrm *main = m_instance->forms.mainFormIfLoaded();
    if (!main)
        return;
    // Ending the program is one command among several, but a rarer one, so that runs go deep.
    static const QList<const char *> common = {"mnuMessage", "mnuVol", "mnuHelpAbout", "restore"};
    static const QList<const char *> ending = {"mnuFileExit", "exit"};
    const char *name = chance(0.02) ? oneOf(ending) : oneOf(common);
    note(QByteArrayLiteral("menu ") + name);
    if (auto *action = main->findChild<QAction *>(QLatin1String(name)))
        action->trigger();
}

void Monkey::trayEvent()
{
    FakeTrayIcon &tray = m_instance->trayIcon;
    const int what = below(10);
    if (what == 0) {
        note("tray host " + QByteArray(tray.available ? "quits" : "starts"));
        tray.setAvailable(!tray.available);
        return;
    }
    static const QList<TrayIconEvent::Kind> kinds = {
        TrayIconEvent::Move, TrayIconEvent::Press, TrayIconEvent::Release,
        TrayIconEvent::DoubleClick};
    static const QList<Qt::MouseButton> buttons = {Qt::LeftButton, Qt::RightButton,
                                                   Qt::MiddleButton};
    const TrayIconEvent::Kind kind = oneOf(kinds);
    const Qt::MouseButton button = oneOf(buttons);
    note("tray mouse " + QByteArray::number(kind) + " button " + QByteArray::number(button));
    // Only a menu popped up now is certain to be alive.
    tray.popUps.clear();
    tray.send(kind, button, QPoint(below(1280), below(1024)), chance(0.9));
    if (!tray.popUps.isEmpty() && chance(0.5)) {
        // The desktop shows the icon's menu; the monkey picks from it or lets it go.
        QMenu *menu = tray.popUps.takeLast().menu;
        const QList<QAction *> actions = menu->actions();
        if (!actions.isEmpty() && chance(0.3)) {
            QAction *action = oneOf(actions);
            note("tray menu " + action->objectName().toLatin1());
            action->trigger();
        }
    }
}

void Monkey::tick()
{
    if (mainfrm *main = m_instance->forms.mainFormIfLoaded())
        main->Timer1_Timer();
    activefrm *alarm = m_instance->alarm();
    if (alarm && child<QTimer>(alarm, "Timer1")->isActive())
        alarm->Timer1_Timer();
}

void Monkey::clockTick()
{
    FakeClock &clock = m_instance->clock;
    const int kind = below(20);
    if (kind < 14)
        clock.advance(1000 + below(40) - 20);
    else if (kind < 16)
        clock.advance(below(1000));
    else if (kind < 18)
        clock.advance(1000 * (2 + below(5)));
    else if (kind == 18)
        clock.advance(-1000 * (1 + below(7200)));
    else
        clock.advance(1000 * (1 + below(86400)));
    note("tick at " + clock.current.toString(Qt::ISODateWithMs).toLatin1());
    tick();
}

void Monkey::alarmDue()
{
    // Random ticks seldom meet an armed second: go to one of them now and then.
    const AlarmTable &table = m_instance->table;
    QList<int> armed;
    for (int n = 1; n <= AlarmTable::SlotCount; ++n) {
        if (table.slot(n).isSet())
            armed << n;
    }
    if (armed.isEmpty())
        return clockTick();
    const AlarmSlot &slot = table.slot(oneOf(armed));
    const int hour = int(slot.almHour + slot.almOffset);
    FakeClock &clock = m_instance->clock;
    const QTime due(qBound(0, hour, 23), qBound(0, int(slot.almMin), 59),
                    qBound(0, int(slot.almSec), 59));
    const QDate date = chance(0.5) ? clock.current.date() : clock.current.date().addDays(1);
    clock.current = QDateTime(date, due).addMSecs(-995);
    note("alarm due at " + QDateTime(date, due).toString(Qt::ISODate).toLatin1());
    tick();
    clock.advance(1000);
    tick();
}

void Monkey::windowState()
{
    mainfrm *main = m_instance->forms.mainFormIfLoaded();
    if (!main)
        return;
    const bool minimise = chance(0.6);
    note(minimise ? "minimise the main window" : "restore the main window");
    if (minimise)
        main->showMinimized();
    else
        main->showNormal();
}

void Monkey::arm()
{
    // The user arms a slot on purpose now and then, so that alarms are due and act.
    mainfrm *main = m_instance->forms.mainFormIfLoaded();
    if (!main || !main->isVisible())
        return;
    note("arm a slot");
    m_instance->pick("Combo2", below(AlarmTable::SlotCount));
    m_instance->pick("Combo1", below(6));
    QCoreApplication::processEvents();
    if (!m_instance->forms.mainFormIfLoaded())
        return;
    const std::pair<const char *, int> boxes[] = {{"hourtb", 12}, {"min", 59}, {"secs", 59}};
    for (const auto &[box, high] : boxes) {
        auto *edit = main->findChild<QLineEdit *>(QLatin1String(box));
        edit->setText(QString::number(high == 12 ? 1 + below(high) : below(high + 1)));
    }
    main->findChild<QRadioButton *>(QLatin1String(chance(0.5) ? "Option1" : "Option2"))->click();
    m_instance->dialogs.nextFile = chance(0.8) ? std::optional<QString>(QStringLiteral("/a.wav"))
                                               : std::nullopt;
    main->findChild<QPushButton *>(QStringLiteral("browse"))->click();
    main->findChild<QPushButton *>(QStringLiteral("activate"))->click();
}

void Monkey::settle()
{
    // Timers wait for the monkey's "time passes" events, so that a seed replays the same run
    // however fast the machine is.
    QCoreApplication::processEvents(QEventLoop::X11ExcludeTimers);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    // The alarm window counts down on the monkey's clock ticks only.
    if (activefrm *alarm = m_instance ? m_instance->alarm() : nullptr) {
        auto *countdown = child<QTimer>(alarm, "Timer1");
        if (countdown->isActive() && countdown->interval() != FrozenMs)
            countdown->setInterval(FrozenMs);
    }
}

void Monkey::timePasses()
{
    // Long enough for Qt's own short timers: a mnemonic's animated click, a popup's delays.
    note("time passes");
    QElapsedTimer waited;
    waited.start();
    while (waited.elapsed() < 150)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
}

void Monkey::answerPower()
{
    // The system answers a shutdown or restart request at once, either way.
    FakePowerControl &power = m_instance->power;
    while (m_instance->powerAnswers < power.requests.size()) {
        ++m_instance->powerAnswers;
        const auto answer = oneOf(QList<PowerControl::Answer>{
            PowerControl::Accepted, PowerControl::Refused, PowerControl::NoAnswer});
        note("power request answered " + QByteArray::number(int(answer)));
        power.answer(answer, QStringLiteral("Access denied"));
    }
}

void Monkey::restartIfEnded()
{
    if (!m_instance->ended())
        return;
    note("the program ended; a fresh one starts");
    m_instance.reset();
    settle();
    // Every window of the program went with it; only Qt's own tool tip may stay.
    for (QWidget *window : QApplication::topLevelWidgets()) {
        if (!window->inherits("QTipLabel"))
            qFatal("a window outlived the program: %s %s", window->metaObject()->className(),
                   qPrintable(window->objectName()));
    }
    m_instance = std::make_unique<Instance>();
    // Typed files are picked as they come: a file chooser answers with one.
    m_instance->dialogs.nextFile = QStringLiteral("/music/alarm.mp3");
    settle();
}

bool Monkey::finalCheck()
{
    while (QWidget *popup = QApplication::activePopupWidget())
        popup->close();
    settle();
    if (!m_instance->forms.mainFormIfLoaded()) {
        // Without its main window the program ends once the user closes what is left.
        for (QWidget *window : visibleWindows())
            window->close();
        settle();
        if (!m_instance->ended())
            m_instance->lifecycle.quit();
        restartIfEnded();
    }

    Instance &program = *m_instance;
    mainfrm *main = program.forms.mainFormIfLoaded();
    main->restore_Click();
    settle();
    if (!main->isVisible()) {
        std::fprintf(stderr, "monkey: the main window does not come back\n");
        return false;
    }
    program.main = main;   // the helpers work on the main window loaded now
    program.pick("Combo2", 0);
    program.pick("Combo1", PlaySound);
    program.dialogs.nextFile = QStringLiteral("/music/final.mp3");
    QTest::mouseClick(child(main, "browse"), Qt::LeftButton);
    program.type(main, "hourtb", QStringLiteral("7"));
    program.type(main, "min", QStringLiteral("30"));
    program.type(main, "secs", QStringLiteral("00"));
    QTest::mouseClick(child(main, "Option1"), Qt::LeftButton);
    QTest::mouseClick(child(main, "activate"), Qt::LeftButton);
    settle();
    const QString status = child<QLabel>(main, "statuslbl")->text();
    if (status != QLatin1String("Alarm 1 Set For 7:30:00 AM")) {
        std::fprintf(stderr, "monkey: Activate answered \"%s\"\n", qPrintable(status));
        return false;
    }

    // A day never seen before, so that the alarm has not acted at this second yet.
    program.clock.current = QDateTime(program.clock.current.date().addDays(2), QTime(7, 29, 59, 5));
    tick();
    program.clock.advance(1000);
    tick();
    settle();
    activefrm *alarm = program.alarm();
    if (!alarm || !alarm->isVisible() || program.sound.last() != QLatin1String("/music/final.mp3")
        || !program.sound.playing) {
        std::fprintf(stderr, "monkey: the armed alarm did not fire\n");
        return false;
    }
    QTest::mouseClick(child(alarm, "shutoff"), Qt::LeftButton);
    settle();
    return !program.sound.playing;
}

} // namespace

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QApplication::setQuitOnLastWindowClosed(false);
    defaultHandler = qInstallMessageHandler(messageHandler);

    quint64 seed = std::random_device{}();
    int events = 30000;
    qint64 maxSeconds = 600;
    const QStringList args = QApplication::arguments();
    for (int i = 1; i < args.size(); ++i) {
        const QString &arg = args.at(i);
        const bool hasValue = i + 1 < args.size();
        if (arg == QLatin1String("--seed") && hasValue)
            seed = args.at(++i).toULongLong();
        else if (arg == QLatin1String("--events") && hasValue)
            events = args.at(++i).toInt();
        else if (arg == QLatin1String("--max-seconds") && hasValue)
            maxSeconds = args.at(++i).toLongLong();
        else if (arg == QLatin1String("--log"))
            logEvents = true;
        else {
            std::fprintf(stderr, "usage: monkey [--seed N] [--events N] [--max-seconds N] "
                                 "[--log]\n");
            return 2;
        }
    }
    std::printf("monkey: seed %llu, up to %d events\n", static_cast<unsigned long long>(seed),
                events);
    std::fflush(stdout);

    Monkey monkey(seed);
    QElapsedTimer elapsed;
    elapsed.start();
    const bool answers = monkey.run(events, maxSeconds * 1000) && monkey.finalCheck();
    std::printf("monkey: %d events in %.1f s; afterwards it %s\n", monkey.done(),
                elapsed.elapsed() / 1000.0, answers ? "answers and fires an armed alarm" : "FAILS");
    if (!answers)
        std::printf("monkey: replay with --seed %llu --events %d --log\n",
                    static_cast<unsigned long long>(seed), monkey.done());
    return answers ? 0 : 1;
}
