#pragma once

#include <QDialog>

class Forms;
class QFrame;
class QLabel;
class QLineEdit;
class QPushButton;
struct Services;

/// The message dialog "Set Message": edits the text the alarm window shows for the current slot.
class messagefrm : public QDialog
{
    Q_OBJECT
public:
    explicit messagefrm(Forms &forms, QWidget *parent = nullptr);

    /// Runs once right after creation: centres the dialog, sets its buttons, fills it.
    void Form_Load();
    /// Shows the current slot and its stored message.
    void setAlmLbl();

    /// Escape and the title bar's close box cancel.
    void reject() override;

public slots:
    void ok_Click();
    void cancel_Click();

signals:
    /// The dialog was unloaded; it is deleted soon after.
    void unloaded();

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    void createWidgets();
    void createConnections();

    Services &m_services;

    QFrame *Frame1 = nullptr;
    QLineEdit *Text1 = nullptr;
    QLabel *almlbl = nullptr;
    QLabel *Label1 = nullptr;
    QPushButton *cancel = nullptr;
    QPushButton *ok = nullptr;
};
