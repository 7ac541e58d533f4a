#pragma once

struct BackendModule;

/// The backend module, loaded on the first call from beside the program (build tree) or from
/// the program's library folder (installed); null, with a warning, when it cannot be loaded.
const BackendModule *backendModule();
