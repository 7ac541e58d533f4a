#include "backendloader.h"

#include "backendmodule.h"
#include "soundmodule.h"

#include <QCoreApplication>
#include <QDir>
#include <QLibrary>
#include <QLoggingCategory>

namespace {

/// The entry point of a module from beside the program or from its library folder; null, with
/// a warning naming what goes without it, when neither loads.
QFunctionPointer loadEntry(const char *file, const char *entry, const char *without)
{
    const QDir programDir(QCoreApplication::applicationDirPath());
    QString errors;
    for (const QString &path : {programDir.filePath(QLatin1String(file)),
                                programDir.filePath(QLatin1String(WAKEMERE_BACKENDS_DIR "/")
                                                    + QLatin1String(file))}) {
        // Never unloaded: the objects it made live until the program ends.
        QLibrary library(path);
        // A symbol the program lacks fails the load here, not a call later.
        library.setLoadHints(QLibrary::ResolveAllSymbolsHint);
        if (QFunctionPointer function = library.resolve(entry))
            return function;
        errors += QLatin1Char('\n') + library.errorString();
    }
    qWarning().noquote() << without << "off:" << errors;
    return nullptr;
}

} // namespace

const BackendModule *backendModule()
{
    static const BackendModule *module = [] () -> const BackendModule * {
        using Entry = const BackendModule *(*)();
        const auto entry = reinterpret_cast<Entry>(loadEntry(
            WAKEMERE_BACKENDS_FILE, WAKEMERE_BACKENDS_ENTRY, "Volume and opening files are"));
        return entry ? entry() : nullptr;
    }();
    return module;
}

SoundPlayerMaker soundModule()
{
    static const SoundPlayerMaker maker = reinterpret_cast<SoundPlayerMaker>(
        loadEntry(WAKEMERE_SOUND_FILE, WAKEMERE_SOUND_ENTRY, "Sound is"));
    return maker;
}
