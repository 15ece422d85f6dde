#pragma once
// What the files of the spin edit window class share and nobody else needs.
#include <windows.h>

#include <cstdint>

#include "common/error.h"
#include "spinedit/win/spin_edit.h"

namespace brisko {

// One message of the window or its text box, from its start to its very
// end: the keeper is held throughout, and a window destroyed meanwhile takes
// its object with it only once no message of it is running any more.
class SpinEdit::MessageScope {
public:
    explicit MessageScope(SpinEdit& edit) : edit_(edit), keeper_(edit.keeper_) {
        ++edit_.messageDepth_;
        if (keeper_) keeper_->Hold();
    }
    ~MessageScope() {
        // The last hold may end the keeper, whose window then goes later.
        if (keeper_) keeper_->Unhold();
        if (--edit_.messageDepth_ == 0 && edit_.windowGone_) delete &edit_;
    }
    MessageScope(const MessageScope&) = delete;
    MessageScope& operator=(const MessageScope&) = delete;

private:
    SpinEdit& edit_;
    SpinEditKeeper* keeper_;
};

}  // namespace brisko

namespace brisko::spin_edit_detail {

// The module the class is registered for: its windows and message boxes belong to it.
HINSTANCE Instance();

[[noreturn]] inline void Invalid(const char* what) {
    throw Error(ErrorNumber::InvalidPropertyValue, what);
}

}  // namespace brisko::spin_edit_detail
