#pragma once

#include "userdialogs.h"

#include <QList>

/// Answers the modal boxes without a person: records error texts, returns a scripted file.
struct FakeDialogs final : UserDialogs
{
    QStringList errors;
    std::optional<QString> nextFile;   // what the file dialog returns; nothing = cancelled
    struct FileRequest
    {
        QString title;
        QStringList filters;
        QString start;
    };
    QList<FileRequest> fileRequests;

    void showError(QWidget *, const QString &text) override { errors << text; }
    std::optional<QString> chooseFile(QWidget *, const QString &title, const QStringList &filters,
                                      const QString &start) override
    {
        fileRequests.append({title, filters, start});
        return nextFile;
    }
};
