#pragma once

#include <QProxyStyle>

/// The desktop's style without pictures on the overflow buttons of menu bars and tool bars:
/// the main window's three menus never overflow, and making that picture at start-up made Qt
/// load every image plugin, and the SVG module, to find the one that reads PNG.
class AppStyle : public QProxyStyle
{
    Q_OBJECT
public:
    QIcon standardIcon(StandardPixmap standardIcon, const QStyleOption *option = nullptr,
                       const QWidget *widget = nullptr) const override;
};
