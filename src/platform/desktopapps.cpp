// GIO first: its headers use names that Qt defines as macros ("signals").
#include <gio/gdesktopappinfo.h>
#include <gio/gio.h>

#include "desktopapps.h"

#include <QFile>
#include <QFileInfo>

#include <algorithm>
#include <thread>

namespace {

QString fromUtf8(const char *text)
{
    return text ? QString::fromUtf8(text) : QString();
}

QIcon iconOf(GAppInfo *app)
{
    GIcon *icon = g_app_info_get_icon(app);
    if (G_IS_THEMED_ICON(icon)) {
        const gchar *const *names = g_themed_icon_get_names(G_THEMED_ICON(icon));
        for (; names && *names; ++names) {
            const QIcon themed = QIcon::fromTheme(QString::fromUtf8(*names));
            if (!themed.isNull())
                return themed;
        }
    } else if (G_IS_FILE_ICON(icon)) {
        if (char *path = g_file_get_path(g_file_icon_get_file(G_FILE_ICON(icon)))) {
            const QIcon image(QFile::decodeName(path));
            g_free(path);
            return image;
        }
    }
    return {};
}

} // namespace

QString DesktopApps::defaultFor(const QString &path)
{
    GFile *file = g_file_new_for_path(QFile::encodeName(path).constData());
    GAppInfo *app = g_file_query_default_handler(file, nullptr, nullptr);
    g_object_unref(file);
    if (!app)
        return {};
    const QString id = fromUtf8(g_app_info_get_id(app));
    g_object_unref(app);
    return id;
}

QList<DesktopApps::App> DesktopApps::fileOpeners()
{
    QList<App> apps;
    GList *all = g_app_info_get_all();
    for (GList *item = all; item; item = item->next) {
        GAppInfo *app = G_APP_INFO(item->data);
        if (g_app_info_should_show(app)
            && (g_app_info_supports_files(app) || g_app_info_supports_uris(app))) {
            apps.append({fromUtf8(g_app_info_get_id(app)), fromUtf8(g_app_info_get_name(app)),
                         iconOf(app)});
        }
    }
    g_list_free_full(all, g_object_unref);
    std::sort(apps.begin(), apps.end(), [](const App &a, const App &b) {
        return a.name.localeAwareCompare(b.name) < 0;
    });
    return apps;
}

bool DesktopApps::launch(const QString &appId, const QString &path)
{
    GDesktopAppInfo *app = g_desktop_app_info_new(appId.toUtf8().constData());
    if (!app)
        return false;
    // GIO builds the command from the desktop file with the file as one argument of its own:
    // no shell ever sees the path.
    GFile *file =
        g_file_new_for_path(QFile::encodeName(QFileInfo(path).absoluteFilePath()).constData());
    // Launching, GIO connects to the session bus and waits on it without a time limit: on a
    // thread of its own, a stalled bus cannot stop the clock.
    std::thread([app, file] {
        GList files = {file, nullptr, nullptr};
        g_app_info_launch(G_APP_INFO(app), &files, nullptr, nullptr);
        g_object_unref(file);
        g_object_unref(app);
    }).detach();
    return true;
}
