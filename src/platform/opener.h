#pragma once

#include <QString>

/// Starts programs and opens documents the way the desktop does; behind an interface so that
/// tests see the requests instead.
class Opener
{
public:
    enum class Result { Started, NoApplication, Failed };

    virtual ~Opener() = default;
    /// Whether the path names a file that runs as a program of its own.
    virtual bool isProgram(const QString &path) const = 0;
    /// Starts the program as a process of its own with no arguments; false if it did not start.
    virtual bool runProgram(const QString &path) = 0;
    /// Opens the file in the application the desktop associates with its type.
    virtual Result openDocument(const QString &path) = 0;
    /// Lets the user choose an application to open the file with; returns at once.
    virtual void openWith(const QString &path) = 0;
};
