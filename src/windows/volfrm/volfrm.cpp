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

volfrm::volfrm(Services &services, QWidget *parent)
    : QDialog(parent)
    , m_services(services)
{
    setObjectName(QStringLiteral("volfrm"));
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowFlags(Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint
                   | Qt::WindowCloseButtonHint);
    setWindowTitle(tr("Set Volume"));
    setWindowIcon(pictureIcon(QStringLiteral(":/pictures/speaker-32.png")));
    createWidgets();
    createConnections();
    resize(twips(6675), twips(3495));
}

void volfrm::createWidgets()
{
    Command1 = twipsChild<QPushButton>(this, "Command1", 1560, 2880, 1455, 495);
    Command1->setText(tr("OK"));
    Command2 = twipsChild<QPushButton>(this, "Command2", 3720, 2880, 1335, 495);
    Command2->setText(tr("Cancel"));

    Frame1 = twipsChild<QFrame>(this, "Frame1", 120, 0, 6495, 2775);
    Frame1->setFrameStyle(QFrame::Box | QFrame::Sunken);
    Image1 = twipsChild<QLabel>(Frame1, "Image1", 360, 840, 720, 720);
    Image1->setPixmap(picture(QStringLiteral(":/pictures/speaker-dots-48.png"), 48, this));
    Label1 = twipsLabel(Frame1, "Label1", tr("VOLUME CONTROL"), 1920, 360, 3735, 495);
    Label1->setFont(dialogFont(12, true));
    Label2 = twipsLabel(Frame1, "Label2", tr("LOW"), 1320, 1680, 855, 375);
    Label3 = twipsLabel(Frame1, "Label3", tr("HIGH"), 5640, 1680, 615, 255);

    vol = twipsChild<QSlider>(Frame1, "vol", 1200, 960, 4815, 630);
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
