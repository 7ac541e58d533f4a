#pragma once

#include <QByteArrayList>

/// Starts a program on its own: a session of its own, default signal handling, and of our
/// descriptors only standard input, output and error. `program` is a path, never looked up in
/// PATH. True if the program was started.
bool spawnDetached(const QByteArray &program, const QByteArrayList &arguments = {});
