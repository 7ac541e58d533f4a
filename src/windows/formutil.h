#pragma once

#include <QFont>
#include <QIcon>
#include <QPixmap>
#include <QRect>
#include <QStringList>
#include <QWidget>

class QFrame;
class QLabel;

/// Pixels at 96 dpi for a length in twips (15 twips a pixel); Qt scales for high-DPI screens.
constexpr int twips(int length)
{
    return length / 15;
}

/// A rectangle given in twips, as pixels.
QRect twipsRect(int left, int top, int width, int height);

/// A new control of a window, named and placed at a rectangle given in twips.
template<typename T>
T *twipsChild(QWidget *parent, const char *name, int left, int top, int width, int height)
{
    auto *child = new T(parent);
    child->setObjectName(QLatin1String(name));
    child->setGeometry(twipsRect(left, top, width, height));
    return child;
}

/// A label as the classic windows drew it: text from the top left, broken at word boundaries,
/// on its own painted background.
QLabel *twipsLabel(QWidget *parent, const char *name, const QString &text, int left, int top,
                   int width, int height);

/// A frame without caption, with the etched border.
QFrame *twipsFrame(QWidget *parent, const char *name, int left, int top, int width, int height);

/// The sans-serif face that stands in for the classic dialog font, at a size in points.
QFont dialogFont(qreal pointSize, bool bold = false);

/// Where a window of this size starts so that it sits centred: halved toward zero, so a window
/// larger than the screen starts at a negative offset.
int centredStart(int screenLength, int windowLength);

/// Centres a top-level window on its screen.
void centreOnScreen(QWidget *window);

/// The action list's texts; an action's code is its index in it.
QStringList actionNames();

/// The program's icon at the sizes a window or tray shows (16 to 64 pixels).
QIcon programIcon();

/// A picture of the resources as an icon (with its @2x file on high-DPI screens), the same
/// one for the whole run.
QIcon pictureIcon(const QString &path);

/// A picture of the resources at its size in pixels, sharp on high-DPI screens.
QPixmap picture(const QString &path, int size, const QWidget *shownOn);

/// Shows a modeless window, or brings it to the front when it is open already.
void bringForward(QWidget *window);
