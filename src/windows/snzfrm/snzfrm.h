#pragma once

#include <QDialog>

class Forms;
class QLabel;
class QLineEdit;
class QPushButton;
struct Services;

/// The snooze dialog "Set Snooze": asks for the minutes after which the alarm sounds again.
class snzfrm : public QDialog
{
    Q_OBJECT
public:
    explicit snzfrm(Forms &forms, QWidget *parent = nullptr);

    /// Runs once right after creation: centres the dialog and makes OK the default button.
    void Form_Load();

public slots:
    void ok_Click();
    void Command2_Click();

signals:
    /// The dialog was unloaded; it is deleted soon after.
    void unloaded();

protected:
    void closeEvent(QCloseEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;

private:
    void createWidgets();
    void createConnections();

    Forms &m_forms;
    Services &m_services;

    QPushButton *Command2 = nullptr;
    QPushButton *ok = nullptr;
    QLineEdit *Text1 = nullptr;
    QLabel *Label2 = nullptr;
    QLabel *Label1 = nullptr;
};
