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
    if (g_bDatabaseOpen != 0) CloseProjectDatabase();
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

// Runs when the shared object is unloaded (dlclose or process exit).
__attribute__((destructor)) static void VellumdeskModuleUnload() { vd::UnloadModule(); }

#endif
