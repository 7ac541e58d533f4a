#pragma once

#include <QString>
#include <QStringList>

#include <optional>

class QWidget;

/// The modal boxes the program asks the user through, so that tests can answer them.
class UserDialogs
{
public:
    virtual ~UserDialogs() = default;
    /// A modal box titled "Error" with the critical icon, the text and one OK button.
    virtual void showError(QWidget *parent, const QString &text) = 0;
    /// The modal file-open dialog; the chosen path, or nothing when the user cancels.
    virtual std::optional<QString> chooseFile(QWidget *parent, const QString &title,
                                              const QStringList &nameFilters,
                                              const QString &startPath) = 0;
};
