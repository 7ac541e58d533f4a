#pragma once

#include "userdialogs.h"

/// UserDialogs on QMessageBox and QFileDialog.
class QtUserDialogs final : public UserDialogs
{
public:
    void showError(QWidget *parent, const QString &text) override;
    std::optional<QString> chooseFile(QWidget *parent, const QString &title,
                                      const QStringList &nameFilters,
                                      const QString &startPath) override;
};
