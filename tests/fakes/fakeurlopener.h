#pragma once

#include "urlopener.h"

#include <QList>
#include <QUrl>

/// Records the links it is asked to open.
struct FakeUrlOpener final : UrlOpener
{
    QList<QUrl> opened;
    void openUrl(const QUrl &url) override { opened << url; }
};
