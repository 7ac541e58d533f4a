#pragma once

#include <QObject>

class QTimer;

/// Stops the text cursor blinking after a while without a key press or click, as GTK does,
/// so that a window left open costs no redrawing; the next key or click lets it blink again.
class BlinkTimeout : public QObject
{
    Q_OBJECT
public:
    static constexpr int DefaultMs = 10000;

    explicit BlinkTimeout(int timeoutMs = DefaultMs, QObject *parent = nullptr);
    ~BlinkTimeout() override;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void stopBlinking();

    QTimer *m_timer;
    int m_flashTime;     // the desktop's blinking, given back on input
};
