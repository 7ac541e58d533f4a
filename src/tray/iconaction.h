#pragma once

#include "trayicon.h"

/// What a mouse event on the notification-area icon does.
enum class IconAction { None, Restore, OpenMenu };

/// A left release over the icon and a left double-click restore the main window, a right
/// release over the icon opens the menu; pointer movement, presses and the middle button do
/// nothing.
IconAction iconAction(const TrayIconEvent &event);
