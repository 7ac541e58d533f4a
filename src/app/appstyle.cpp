#include "appstyle.h"

QIcon AppStyle::standardIcon(StandardPixmap standardIcon, const QStyleOption *option,
                             const QWidget *widget) const
{
    if (standardIcon == SP_ToolBarHorizontalExtensionButton
        || standardIcon == SP_ToolBarVerticalExtensionButton)
        return {};
    return QProxyStyle::standardIcon(standardIcon, option, widget);
}
