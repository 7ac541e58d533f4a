#pragma once

#include "userdialogs.h"

#include <QDialog>
#include <QTimer>

#include <functional>

/// Answers the modal boxes without a person: records error texts, returns a scripted file.
struct FakeDialogs final : UserDialogs
{
    QStringList errors;
    std::optional<QString> nextFile;   // what the file dialog returns; nothing = cancelled
    QStringList fileFilters;           // those the last file dialog offered
    /// When set, each box is a real modal dialog of its parent, on the stack as the real ones
    /// are, and this runs inside its event loop: what a user does while a box is open.
    std::function<void()> whileOpen;

    void showError(QWidget *parent, const QString &text) override
    {
        errors << text;
        runModal(parent);
    }
    std::optional<QString> chooseFile(QWidget *parent, const QString &,
                                      const QStringList &filters, const QString &) override
    {
        fileFilters = filters;
        runModal(parent);
        return nextFile;
    }

private:
    void runModal(QWidget *parent)
    {
        if (!whileOpen)
            return;
        QDialog box(parent);
        QTimer::singleShot(0, &box, whileOpen);
        // Unless whileOpen closes it, the box goes like a box the user closed.
        QTimer::singleShot(500, &box, &QDialog::reject);
        box.exec();
    }
};
