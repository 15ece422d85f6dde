#pragma once
// The project model of the IDE's VBE object, read through IDispatch.
#include <oaidl.h>

#include <memory>

#include "tracking/classify.h"

namespace brisko {

std::unique_ptr<IdeModel> MakeDispatchIdeModel(IDispatch* vbe);

}  // namespace brisko
