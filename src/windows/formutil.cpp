#include "formutil.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QFrame>
#include <QGuiApplication>
#include <QHash>
#include <QImageReader>
#include <QLabel>
#include <QScreen>
#include <QWidget>

namespace {

// Read by the type its name gives: asked to find out, Qt loads every image plugin (and the SVG
// module) to ask each whether it reads PNG.
QPixmap readPicture(const QString &path)
{
    QImageReader reader(path, QFileInfo(path).suffix().toLatin1());
    reader.setAutoDetectImageFormat(false);
    return QPixmap::fromImage(reader.read());
}

QIcon readIcon(const QString &path)
{
    QIcon icon(readPicture(path));
    if (qGuiApp->devicePixelRatio() > 1.0) {
        const QFileInfo file(path);
        const QString doubled = file.path() + QLatin1Char('/') + file.completeBaseName()
                                + QStringLiteral("@2x.") + file.suffix();
        if (QFileInfo::exists(doubled))
            icon.addPixmap(readPicture(doubled));
    }
    return icon;
}

} // namespace

QRect twipsRect(int left, int top, int width, int height)
{
    return QRect(twips(left), twips(top), twips(width), twips(height));
}

QFont dialogFont(qreal pointSize, bool bold)
{
    QFont font;
    font.setFamilies({QStringLiteral("Liberation Sans"), QStringLiteral("Arial"),
                      QStringLiteral("DejaVu Sans"), QStringLiteral("Sans Serif")});
    font.setPointSizeF(pointSize);
    font.setBold(bold);
    return font;
}

int centredStart(int screenLength, int windowLength)
{
    return (screenLength - windowLength) / 2;
}

void centreOnScreen(QWidget *window)
{
    QScreen *screen = window->screen() ? window->screen() : QGuiApplication::primaryScreen();
    if (!screen)
        return;
    const QRect area = screen->geometry();
    const QSize size = window->frameGeometry().size();
    window->move(area.x() + centredStart(area.width(), size.width()),
                 area.y() + centredStart(area.height(), size.height()));
}

QIcon programIcon()
{
    // Every size goes to the window system with each window; the larger ones are decoded for
    // nothing where the desktop file's icons serve launchers and docks. Decoded once a run.
    static const QIcon icon = [] {
        QIcon sizes;
        for (int size : {16, 22, 24, 32, 48, 64})
            sizes.addPixmap(readPicture(QStringLiteral(":/icons/wakemere-%1.png").arg(size)));
        return sizes;
    }();
    return icon;
}

QIcon pictureIcon(const QString &path)
{
    // Qt caches the pixmaps it scales from an icon under that icon's own key: a fresh icon for
    // every new window would leave one more cache entry behind with each alarm.
    static QHash<QString, QIcon> icons;
    auto icon = icons.constFind(path);
    if (icon == icons.cend())
        icon = icons.insert(path, readIcon(path));
    return *icon;
}

QPixmap picture(const QString &path, int size, const QWidget *shownOn)
{
    return pictureIcon(path).pixmap(QSize(size, size), shownOn->devicePixelRatioF());
}

void bringForward(QWidget *window)
{
    window->show();
    window->raise();
    window->activateWindow();
}

QLabel *twipsLabel(QWidget *parent, const char *name, const QString &text, int left, int top,
                   int width, int height)
{
    auto *caption = twipsChild<QLabel>(parent, name, left, top, width, height);
    caption->setText(text);
    caption->setWordWrap(true);
    caption->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    caption->setAutoFillBackground(true);
    return caption;
}

QFrame *twipsFrame(QWidget *parent, const char *name, int left, int top, int width, int height)
{
    auto *box = twipsChild<QFrame>(parent, name, left, top, width, height);
    box->setFrameStyle(QFrame::Box | QFrame::Sunken);
    return box;
}

QStringList actionNames()
{
    static const char *const names[] = {
        QT_TRANSLATE_NOOP("mainfrm", "Play Sound"),
        QT_TRANSLATE_NOOP("mainfrm", "Run Program"),
        QT_TRANSLATE_NOOP("mainfrm", "Open File"),
        QT_TRANSLATE_NOOP("mainfrm", "Display Message"),
        QT_TRANSLATE_NOOP("mainfrm", "Shutdown Windows"),
        QT_TRANSLATE_NOOP("mainfrm", "Reboot Computer"),
    };
    QStringList texts;
    for (const char *name : names)
        texts << QCoreApplication::translate("mainfrm", name);
    return texts;
}
