#pragma once
// The add-in's texts, from the string tables of the module that holds this
// code (Brisko.dll, or a program built with the same resources), in one
// language for a whole session.
#include <windows.h>

#include <string>

#include "common/ui_language.h"

namespace brisko {

// The user's display language as Windows reports it now.
Language UserLanguage();

// The language every shown text is in. ChooseTextLanguage fixes it, with the
// user's display language when the add-in connects (or the one given, for
// tests and demonstrations); until then the first text chooses the user's.
Language TextLanguage();
void ChooseTextLanguage();
void ChooseTextLanguage(Language language);

// Text `id` of the string table in `language` (TextLanguage when not given),
// empty when it has none. `module` null: the module that holds this code.
std::wstring ResourceText(unsigned id);
std::wstring ResourceText(unsigned id, Language language, HMODULE module = nullptr);

// The add-in's two lines for the IDE's add-in list, in the user's display
// language at the time the server registers itself.
std::wstring AddinDescription();

}  // namespace brisko
