#pragma once
// What the files of the spin edit window class share and nobody else needs.
#include <windows.h>

#include <cstdint>

#include "common/error.h"

namespace brisko::spin_edit_detail {

// The module the class is registered for: its windows and message boxes belong to it.
HINSTANCE Instance();

[[noreturn]] inline void Invalid(const char* what) {
    throw Error(ErrorNumber::InvalidPropertyValue, what);
}

}  // namespace brisko::spin_edit_detail
