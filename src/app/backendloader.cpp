#include "backendloader.h"

#include "backendmodule.h"

#include <QCoreApplication>
#include <QDir>
#include <QLibrary>
#include <QLoggingCategory>

const BackendModule *backendModule()
{
    static const BackendModule *module = [] () -> const BackendModule * {
        const QDir programDir(QCoreApplication::applicationDirPath());
        QString errors;
        for (const QString &path : {programDir.filePath(QStringLiteral(WAKEMERE_BACKENDS_FILE)),
                                    programDir.filePath(QStringLiteral(
                                        WAKEMERE_BACKENDS_DIR "/" WAKEMERE_BACKENDS_FILE))}) {
            // Never unloaded: the objects it made live until the program ends.
            QLibrary library(path);
            // A symbol the program lacks fails the load here, not a call later.
            library.setLoadHints(QLibrary::ResolveAllSymbolsHint);
            using Entry = const BackendModule *(*)();
            if (auto entry = reinterpret_cast<Entry>(library.resolve(WAKEMERE_BACKENDS_ENTRY)))
                return entry();
            errors += QLatin1Char('\n') + library.errorString();
        }
        qWarning().noquote() << "Sound, volume and opening files are off:" << errors;
        return nullptr;
    }();
    return module;
}
