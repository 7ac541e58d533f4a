#include "aboutfrm.h"

#include "formutil.h"
#include "linklabel.h"
#include "services.h"
#include "urlopener.h"

#include <QCursor>
#include <QFrame>
#include <QIcon>
#include <QPixmap>
#include <QPushButton>
#include <QUrl>

namespace {

template<typename T = QLabel>
T *frameLabel(QWidget *parent, const char *name, const QString &text, int left, int top,
              int width, int height)
{
    auto *caption = twipsChild<T>(parent, name, left, top, width, height);
    caption->setText(text);
    caption->setWordWrap(true);
    caption->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    // The labels have the frame's colour: painting it again would only let a neighbour's
    // rectangle cut off the bottom of the line above.
    caption->setAutoFillBackground(false);
    return caption;
}

// The labels' usual text colour, unless the frame's colour scheme makes it hard to read there
// (dark themes have light window text and light highlighted text).
QColor readableOn(const QColor &background, const QColor &preferred)
{
    if (qAbs(background.lightness() - preferred.lightness()) >= 96)
        return preferred;
    return background.lightness() >= 128 ? QColor(Qt::black) : QColor(Qt::white);
}

QCursor handCursor(const QWidget *shownOn)
{
    // The hot spot is the fingertip, given in device-independent pixels.
    const QPixmap hand = picture(QStringLiteral(":/pictures/hand-cursor.png"), 32, shownOn);
    if (hand.isNull())
        return QCursor(Qt::PointingHandCursor);
    return QCursor(hand, 12, 1);
}

} // namespace

const QString aboutfrm::ContactAddress = QStringLiteral("wakemere@example.com");

aboutfrm::aboutfrm(Services &services, QWidget *parent)
    : QDialog(parent)
    , m_services(services)
{
    setObjectName(QStringLiteral("aboutfrm"));
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowFlags(Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint
                   | Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint);
    setWindowTitle(tr("About Wakemere v1.0"));
    setWindowIcon(pictureIcon(QStringLiteral(":/pictures/clock16.png")));
    createWidgets();
    createConnections();
    setFixedSize(twips(4620), twips(3780));
}

void aboutfrm::createWidgets()
{
    // The box itself wears the colour of window text, the frame that of highlighted text.
    setAutoFillBackground(true);
    QPalette dark = palette();
    dark.setColor(QPalette::Window, dark.color(QPalette::WindowText));
    setPalette(dark);

    Image2 = twipsChild<QLabel>(this, "Image2", 1320, 120, 1905, 585);
    // The logo is wider than high: ask for its width, the icon keeps the proportions.
    const QIcon logo(QStringLiteral(":/pictures/logo.jpg"));
    Image2->setPixmap(logo.pixmap(QSize(127, 39), devicePixelRatioF()));
    Image2->setAlignment(Qt::AlignLeft | Qt::AlignTop);

    Frame1 = twipsChild<QFrame>(this, "Frame1", 120, 720, 4335, 2295);
    Frame1->setFrameStyle(QFrame::Box | QFrame::Plain);
    Frame1->setAutoFillBackground(true);
    QPalette light = QPalette();
    light.setColor(QPalette::Window, light.color(QPalette::HighlightedText));
    light.setColor(QPalette::WindowText, readableOn(light.color(QPalette::Window),
                                                     light.color(QPalette::ButtonText)));
    Frame1->setPalette(light);

    Image1 = twipsChild<QLabel>(Frame1, "Image1", 480, 360, 480, 480);
    Image1->setPixmap(picture(QStringLiteral(":/pictures/clock16.png"), 32, this));
    Label1 = frameLabel(Frame1, "Label1", tr("Wakemere v2.0"), 1080, 360, 2895, 375);
    Label1->setFont(dialogFont(12, true));
    Label3 = frameLabel(Frame1, "Label3", tr("Made By: Pellory Inc."), 1080, 600, 3015, 375);
    Label3->setFont(dialogFont(9.75));
    Label2 = frameLabel(Frame1, "Label2",
                   tr("If you have any questions or comments, please send them to:"), 120, 960,
                   4095, 615);
    Label2->setFont(dialogFont(9.75));

    Label4 = frameLabel<LinkLabel>(Frame1, "Label4", ContactAddress, 720, 1560, 2895, 375);
    QFont linkFont = dialogFont(9.75, true);
    linkFont.setUnderline(true);
    Label4->setFont(linkFont);
    QPalette blue = Label4->palette();
    blue.setColor(QPalette::WindowText, QColor(0, 0, 255));
    Label4->setPalette(blue);
    Label4->setCursor(handCursor(this));

    Command1 = twipsChild<QPushButton>(this, "Command1", 1680, 3120, 1215, 495);
    Command1->setText(tr("OK"));

    QWidget::setTabOrder(Command1, Label4);
}

void aboutfrm::createConnections()
{
    connect(Command1, &QPushButton::clicked, this, &aboutfrm::Command1_Click);
    connect(Label4, &LinkLabel::clicked, this, &aboutfrm::Label4_Click);
}

void aboutfrm::Form_Load()
{
    centreOnScreen(this);
    Command1->setDefault(true);
    Command1->setFocus();
}

void aboutfrm::Command1_Click()
{
    close();
}

void aboutfrm::Label4_Click()
{
    m_services.urls.openUrl(QUrl(QStringLiteral("mailto:") + ContactAddress));
}
