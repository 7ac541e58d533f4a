#pragma once

#include <QIcon>
#include <QList>
#include <QString>

/// The desktop's applications, from the .desktop files and MIME associations of the XDG data
/// and config folders.
class DesktopApps
{
public:
    struct App
    {
        QString id;     // the desktop file's id, "org.example.Viewer.desktop"
        QString name;
        QIcon icon;
    };

    /// The id of the application the desktop opens this file with; empty when none is set up.
    static QString defaultFor(const QString &path);
    /// The applications, by name, that open files handed to them.
    static QList<App> fileOpeners();
    /// Starts the application with the file as one argument, in the background; false if
    /// there is no such application.
    static bool launch(const QString &appId, const QString &path);
};
