#pragma once

#include <QDialog>

class LinkLabel;
class QFrame;
class QLabel;
class QPushButton;
struct Services;

/// The about box: the program's name, its maker and a mail link to the maker.
class aboutfrm : public QDialog
{
    Q_OBJECT
public:
    explicit aboutfrm(Services &services, QWidget *parent = nullptr);

    /// The address shown by Label4 and written to by its link.
    static const QString ContactAddress;

    /// Runs once right after creation: centres the box and makes OK the default button.
    void Form_Load();

public slots:
    void Command1_Click();
    void Label4_Click();

private:
    void createWidgets();
    void createConnections();

    Services &m_services;

    QFrame *Frame1 = nullptr;
    LinkLabel *Label4 = nullptr;
    QLabel *Label2 = nullptr;
    QLabel *Label3 = nullptr;
    QLabel *Label1 = nullptr;
    QLabel *Image1 = nullptr;
    QPushButton *Command1 = nullptr;
    QLabel *Image2 = nullptr;
};
