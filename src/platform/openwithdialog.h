#pragma once

#include <QDialog>

class QDialogButtonBox;
class QListWidget;

/// The desktop's "Open With" for a file no application is set up for: lists the applications
/// that open files and starts the chosen one with the file.
class OpenWithDialog : public QDialog
{
    Q_OBJECT
public:
    explicit OpenWithDialog(const QString &path, QWidget *parent = nullptr);

    void accept() override;

private:
    void createWidgets();
    void createConnections();

    QString m_path;
    QListWidget *m_apps = nullptr;
    QDialogButtonBox *m_buttons = nullptr;
};
