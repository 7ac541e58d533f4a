#pragma once

#include <QIcon>

/// The notification-area icon's picture: the program's icon, else the window's icon, else a
/// drawn disc, so the tray never shows an empty square.
QIcon trayPicture(const QIcon &windowIcon);
