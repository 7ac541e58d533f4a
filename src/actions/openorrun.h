#pragma once

#include <QString>

class Opener;

/// Carries out a program or document alarm: an executable file runs as a program of its own,
/// any other file opens in the application the desktop associates with it, and a file no
/// application is associated with goes to "Open With". Failures are silent.
void openOrRun(Opener &opener, const QString &path);
