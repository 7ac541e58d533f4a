#include "openorrun.h"

#include "opener.h"

void openOrRun(Opener &opener, const QString &path)
{
    if (path.isEmpty())
        return;
    // An executable that cannot start (a document marked executable on a foreign file system,
    // a script without an interpreter line) is still a file that may open as a document.
    if (opener.isProgram(path) && opener.runProgram(path))
        return;
    if (opener.openDocument(path) == Opener::Result::NoApplication)
        opener.openWith(path);
}
