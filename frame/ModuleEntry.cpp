// Load and unload of the module. Nothing happens at load; at unload an open
// project database session is closed.
#include "frame/ModuleEntry.h"

#include "frame/LibraryState.h"
#include "projectdb/Session.h"

#ifdef _WIN32
#include <windows.h>
#endif

namespace vd {

void UnloadModule() noexcept {
    if (g_bDatabaseOpen == 0) return;
    CloseProjectDatabase();
    // The module is going away: a second unload finds nothing to close.
    g_bDatabaseOpen = 0;
}

}  // namespace vd

#ifdef _WIN32

extern "C" BOOL WINAPI DllMain(HINSTANCE /*hModule*/, DWORD dwReason, LPVOID /*pReserved*/) {
    switch (dwReason) {
        case DLL_PROCESS_ATTACH:
        case DLL_THREAD_ATTACH:
        case DLL_THREAD_DETACH:
            break;
        case DLL_PROCESS_DETACH:
            vd::UnloadModule();
            break;
        default:
            break;
    }
    return TRUE;
}

#else

// Runs when the shared object is unloaded: at dlclose, or at process exit
// after every atexit handler and static destructor (exit() runs those first;
// the library-wide state has none, so the session is still whole here). A
// program linked with the library's objects runs it at its own exit.
__attribute__((destructor)) static void VellumdeskModuleUnload() { vd::UnloadModule(); }

#endif
