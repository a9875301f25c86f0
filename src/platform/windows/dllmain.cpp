// Entry point of the DLL. The library keeps no per-thread state, so the loader need not call us for
// every thread the host starts and ends. The process-wide objects are built by the runtime's static
// initialisation before this runs and destroyed after the last call with DLL_PROCESS_DETACH.
#include "platform/win32.h"

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID /*reserved*/) {
    if (reason == DLL_PROCESS_ATTACH)
        DisableThreadLibraryCalls(instance);
    return TRUE;
}
