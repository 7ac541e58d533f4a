#pragma once

#include <QLabel>

/// A label that works as a link: a click on it, or Enter or Space while it has the focus,
/// emits clicked(). Assistive tools see it as a link with a press action.
class LinkLabel : public QLabel
{
    Q_OBJECT
public:
    explicit LinkLabel(QWidget *parent = nullptr);

    /// Follows the link as a click does.
    void activate();

signals:
    void clicked();

protected:
    void mousePressEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void paintEvent(QPaintEvent *event) override;

private:
    bool m_pressed = false;
};
