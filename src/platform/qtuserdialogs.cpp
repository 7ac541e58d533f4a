#include "qtuserdialogs.h"

#include <QCoreApplication>
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
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return std::nullopt;
    return dialog.selectedFiles().constFirst();
}
