#include "iconaction.h"

IconAction iconAction(const TrayIconEvent &event)
{
    switch (event.kind) {
    case TrayIconEvent::Release:
        // A button pressed on the icon and released elsewhere is a change of mind.
        if (!event.overIcon)
            return IconAction::None;
        if (event.button == Qt::LeftButton)
            return IconAction::Restore;
        if (event.button == Qt::RightButton)
            return IconAction::OpenMenu;
        return IconAction::None;
    case TrayIconEvent::DoubleClick:
        return event.button == Qt::LeftButton ? IconAction::Restore : IconAction::None;
    case TrayIconEvent::Move:
    case TrayIconEvent::Press:
        break;
    }
    return IconAction::None;
}
