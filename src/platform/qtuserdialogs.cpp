#include "qtuserdialogs.h"

#include <QApplication>
#include <QFileDialog>
#include <QMessageBox>

void QtUserDialogs::showError(QWidget *parent, const QString &text)
{
    QMessageBox box(QMessageBox::Critical, QCoreApplication::translate("UserDialogs", "Error"),
                    text, QMessageBox::Ok, parent);
    box.exec();
}

std::optional<QString> QtUserDialogs::chooseFile(QWidget *parent, const QString &title,
                                                 const QStringList &nameFilters,
                                                 const QString &startPath)
{
    QFileDialog dialog(parent, title, startPath);
    dialog.setFileMode(QFileDialog::ExistingFile);
    dialog.setNameFilters(nameFilters);
    if (!startPath.isEmpty())
        dialog.selectFile(startPath);
    const bool accepted = dialog.exec() == QDialog::Accepted;
    // Closed with Enter while its completion list was open, the dialog leaves no active
    // window behind on X11, though the window manager gives the parent the keyboard: clicks
    // and keys then reach nothing until the user switches windows.
    if (parent && parent->isVisible() && !QApplication::activeWindow())
        QApplication::setActiveWindow(parent->window());
    if (!accepted || dialog.selectedFiles().isEmpty())
        return std::nullopt;
    return dialog.selectedFiles().constFirst();
}
