#pragma once
// The module that holds this code: Brisko.dll as shipped, or a program that
// links the same code (a test, the stand-in IDE's demonstrations). Its
// resources and window classes are the add-in's.
#include <windows.h>

namespace brisko {

HMODULE ThisModule();

}  // namespace brisko
