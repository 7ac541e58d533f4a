#pragma once

struct BackendModule;
class SoundPlayer;

/// The backend module, loaded on the first call from beside the program (build tree) or from
/// the program's library folder (installed); null, with a warning, when it cannot be loaded.
const BackendModule *backendModule();

using SoundPlayerMaker = SoundPlayer *(*)();
/// The sound module's maker of sound players, loaded likewise on the first call.
SoundPlayerMaker soundModule();
