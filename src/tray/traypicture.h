#pragma once

#include <QIcon>

/// The notification-area icon's picture: the main window's icon, else the program's icon,
/// else a drawn disc, so the tray never shows an empty square.
QIcon trayPicture(const QIcon &windowIcon);
