#include <windows.h>

#include "winsvc/win/slot_pool.h"

namespace brisko::winsvc_detail {

// Why pin rather than count references:
// - A window procedure we install can outlive everything we know of: once
//   somebody subclasses a window after us, their procedure holds our address
//   and may call it until that window dies, long after our objects are gone.
// - The natural moments to drop a module reference (a timer stopped from its
//   own tick, an unsubclass or unhook from inside a callback, a pass-through
//   procedure retired at WM_NCDESTROY) all run inside our own code; if that
//   reference were the last one, FreeLibrary would unmap the code we are about
//   to return into.
// Pinning is safe in every order of events. Its only cost is that Brisko.dll
// stays mapped until the process ends once any of its procedures was
// installed, which the IDE does with its add-ins anyway.
void PinModule() {
    static bool pinned = false;
    if (pinned) return;
    HMODULE module = nullptr;
    pinned = GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_PIN,
                                reinterpret_cast<LPCSTR>(&PinModule), &module) != FALSE;
}

}  // namespace brisko::winsvc_detail
