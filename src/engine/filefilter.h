#pragma once

#include <QString>
#include <QStringList>

/// Turns a "Description(*.ext)|*.ext|..." filter into the name filters of a Qt file dialog:
/// "Description (*.ext)". "*.*" means every file, also those without a dot in their name.
/// Programs on Linux have no ".exe": a filter for them also offers "All Files (*)".
QStringList nameFiltersFrom(const QString &filter);
