#pragma once
// The objects that TextBoxObject and SpinBtnObject hand out: each part's
// members as VB code reaches for them on a text box and on a vertical scroll
// bar, acting through the control's own members on the control's one state.
// A part holds its control weakly: once the control is gone, every member
// answers an error that says so.
#include <windows.h>
// The generated interfaces build on the OLE headers.
#include <ocidl.h>

#include <memory>

#include "common/win/com_ptr.h"
#include "spinedit/control/win/spin_edit_box_idl.h"

namespace brisko {

// The control as its parts reach it; the control clears it when it goes.
struct PartLink {
    _SpinEditBox* control = nullptr;
};

ComPtr<SpinEditTextBox> MakeTextBoxPart(std::shared_ptr<PartLink> link);
ComPtr<SpinEditSpinButton> MakeSpinButtonPart(std::shared_ptr<PartLink> link);

}  // namespace brisko
