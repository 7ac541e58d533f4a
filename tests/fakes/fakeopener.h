#pragma once

#include "opener.h"

#include <QSet>
#include <QStringList>

/// Records the requests; programs and documents without an application are set by the test.
struct FakeOpener final : Opener
{
    QSet<QString> programs;          // paths that are executable files
    QSet<QString> unstartable;       // programs that fail to start
    QSet<QString> unassociated;      // documents no application is set up for
    QStringList ran;
    QStringList opened;
    QStringList openedWith;
    Result documentResult = Result::Started;

    bool isProgram(const QString &path) const override { return programs.contains(path); }
    bool runProgram(const QString &path) override
    {
        ran << path;
        return !unstartable.contains(path);
    }
    Result openDocument(const QString &path) override
    {
        opened << path;
        return unassociated.contains(path) ? Result::NoApplication : documentResult;
    }
    void openWith(const QString &path) override { openedWith << path; }
};
