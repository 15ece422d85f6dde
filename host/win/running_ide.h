#pragma once
// Which IDE this process is, decided once from its executable's name.
#include <optional>

#include "comserver/addin_keys.h"

namespace brisko {

IdeKind RunningIdeKind();

// Test programs link the add-in into their own executable, whose name says
// nothing: they say which IDE they play (nullopt: the executable decides).
void SetRunningIdeKindForTests(std::optional<IdeKind> kind);

}  // namespace brisko
