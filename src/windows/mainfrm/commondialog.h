#pragma once

#include <QString>

class QWidget;
class UserDialogs;

/// The main window's file-open dialog `db`: one for all slots, keeping the last chosen file.
class CommonDialog
{
public:
    QString DialogTitle;
    QString Filter;     // "Description(*.ext)|*.ext|..."
    QString FileName;   // the last file chosen; cancelling keeps it

    /// Shows the modal dialog; a chosen file replaces FileName.
    void ShowOpen(QWidget *parent, UserDialogs &dialogs);
};
