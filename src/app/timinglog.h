#pragma once

#include <QObject>
#include <QPointer>

class QTimer;

class Forms;

/// Logs, through the category "wakemere.timing", the wall-clock moments the benchmarks
/// measure: main window first drawn, first clock tick, each alarm due and its window drawn.
/// Costs nothing unless the category is enabled (QT_LOGGING_RULES="wakemere.timing=true").
class TimingLog : public QObject
{
    Q_OBJECT
public:
    /// Logs the moment main() was entered, for the time the loader took.
    static void markStart();
    /// Watches the windows and the clock, only if the category is enabled.
    static void installIfEnabled(Forms &forms);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    explicit TimingLog(Forms &forms);

    QPointer<QTimer> m_clock;
    qint64 m_lastTick = 0;
    bool m_mainShown = false;
};
