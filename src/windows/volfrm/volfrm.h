#pragma once

#include <QDialog>

class QFrame;
class QLabel;
class QPushButton;
class QSlider;
struct Services;

/// The volume dialog: a loudness from 0 to 10 that OK stores and applies to the sound output.
class volfrm : public QDialog
{
    Q_OBJECT
public:
    explicit volfrm(Services &services, QWidget *parent = nullptr);

    /// Runs once right after creation: shows the stored position and centres the dialog.
    void Form_Load();

    /// Sets the output volume for a slider position 0 to 10; other values do nothing.
    void setVolume(qint16 volint);

public slots:
    void Command1_Click();
    void Command2_Click();

private:
    void createWidgets();
    void createConnections();

    Services &m_services;

    QPushButton *Command2 = nullptr;
    QPushButton *Command1 = nullptr;
    QFrame *Frame1 = nullptr;
    QSlider *vol = nullptr;
    QLabel *Label3 = nullptr;
    QLabel *Label2 = nullptr;
    QLabel *Image1 = nullptr;
    QLabel *Label1 = nullptr;
};
