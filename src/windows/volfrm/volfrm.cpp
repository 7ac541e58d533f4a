#include "volfrm.h"

#include "alarmtable.h"
#include "formutil.h"
#include "services.h"
#include "volumecontrol.h"
#include "volumetable.h"

#include <QFrame>
#include <QIcon>
#include <QLabel>
#include <QPushButton>
#include <QSlider>

namespace {

template<typename T>
T *place(QWidget *parent, const char *name, int left, int top, int width, int height)
{
    auto *widget = new T(parent);
    widget->setObjectName(QLatin1String(name));
    widget->setGeometry(twipsRect(left, top, width, height));
    return widget;
}

QLabel *label(QWidget *parent, const char *name, const QString &text, int left, int top,
              int width, int height)
{
    auto *caption = place<QLabel>(parent, name, left, top, width, height);
    caption->setText(text);
    caption->setWordWrap(true);
    caption->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    caption->setAutoFillBackground(true);
    return caption;
}

} // namespace

volfrm::volfrm(Services &services, QWidget *parent)
    : QDialog(parent)
    , m_services(services)
{
    setObjectName(QStringLiteral("volfrm"));
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowFlags(Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint
                   | Qt::WindowCloseButtonHint);
    setWindowTitle(tr("Set Volume"));
    setWindowIcon(QIcon(QStringLiteral(":/pictures/speaker-32.png")));
    createWidgets();
    createConnections();
    resize(twips(6675), twips(3495));
}

void volfrm::createWidgets()
{
    Command1 = place<QPushButton>(this, "Command1", 1560, 2880, 1455, 495);
    Command1->setText(tr("OK"));
    Command2 = place<QPushButton>(this, "Command2", 3720, 2880, 1335, 495);
    Command2->setText(tr("Cancel"));

    Frame1 = place<QFrame>(this, "Frame1", 120, 0, 6495, 2775);
    Frame1->setFrameStyle(QFrame::Box | QFrame::Sunken);
    Image1 = place<QLabel>(Frame1, "Image1", 360, 840, 720, 720);
    Image1->setPixmap(picture(QStringLiteral(":/pictures/speaker-dots-48.png"), 48, this));
    Label1 = label(Frame1, "Label1", tr("VOLUME CONTROL"), 1920, 360, 3735, 495);
    Label1->setFont(dialogFont(12, true));
    Label2 = label(Frame1, "Label2", tr("LOW"), 1320, 1680, 855, 375);
    Label3 = label(Frame1, "Label3", tr("HIGH"), 5640, 1680, 615, 255);

    vol = place<QSlider>(Frame1, "vol", 1200, 960, 4815, 630);
    vol->setOrientation(Qt::Horizontal);
    vol->setRange(0, MaxVolumePosition);
    vol->setSingleStep(1);
    vol->setPageStep(5);
    vol->setTickPosition(QSlider::TicksBelow);
    vol->setTickInterval(1);
    vol->setAccessibleName(tr("Volume"));

    QWidget::setTabOrder(Command1, Command2);
    QWidget::setTabOrder(Command2, vol);
}

void volfrm::createConnections()
{
    connect(Command1, &QPushButton::clicked, this, &volfrm::Command1_Click);
    connect(Command2, &QPushButton::clicked, this, &volfrm::Command2_Click);
}

void volfrm::Form_Load()
{
    vol->setValue(m_services.table.volLevel);
    centreOnScreen(this);
    // Opening puts the focus on OK; the slider takes the keys only once the user moves there.
    Command1->setFocus();
}

void volfrm::setVolume(qint16 volint)
{
    if (const auto word = volumeWord(volint))
        m_services.volume.setDeviceVolume(*word);
}

void volfrm::Command1_Click()
{
    m_services.table.volLevel = qint16(vol->value());
    setVolume(m_services.table.volLevel);
    close();
}

void volfrm::Command2_Click()
{
    close();
}
