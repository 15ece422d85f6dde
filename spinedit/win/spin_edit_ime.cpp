// The input method of the spin edit box's text box, set by IMEMode.
#include "spinedit/win/spin_edit.h"
// After windows.h, which it builds on.
#include <imm.h>

namespace brisko {

namespace {

// The input method functions, taken from imm32.dll where the process has it
// (every process with an input method does) so that the DLL does not import it.
struct ImmApi {
    decltype(&ImmAssociateContextEx) associateContextEx = nullptr;
    decltype(&ImmGetContext) getContext = nullptr;
    decltype(&ImmReleaseContext) releaseContext = nullptr;
    decltype(&ImmSetOpenStatus) setOpenStatus = nullptr;
    decltype(&ImmGetConversionStatus) getConversionStatus = nullptr;
    decltype(&ImmSetConversionStatus) setConversionStatus = nullptr;

    template <class F>
    static void Get(HMODULE m, const char* name, F& f) {
        f = reinterpret_cast<F>(reinterpret_cast<void (*)()>(GetProcAddress(m, name)));
    }
    ImmApi() {
        HMODULE m = GetModuleHandleW(L"imm32.dll");
        if (!m) return;
        Get(m, "ImmAssociateContextEx", associateContextEx);
        Get(m, "ImmGetContext", getContext);
        Get(m, "ImmReleaseContext", releaseContext);
        Get(m, "ImmSetOpenStatus", setOpenStatus);
        Get(m, "ImmGetConversionStatus", getConversionStatus);
        Get(m, "ImmSetConversionStatus", setConversionStatus);
    }
    bool Complete() const {
        return associateContextEx && getContext && releaseContext && setOpenStatus && getConversionStatus &&
               setConversionStatus;
    }
};

const ImmApi& Imm() {
    static const ImmApi api;
    return api;
}

}  // namespace

void SpinEdit::ApplyImeMode(bool focusing) {
    const ImmApi& imm = Imm();
    if (!box_ || !imm.Complete()) return;
    const auto mode = static_cast<ImeMode>(props_.imeMode);
    if (mode == ImeMode::Disable) {  // no input context at all
        imm.associateContextEx(box_, nullptr, 0);
        return;
    }
    imm.associateContextEx(box_, nullptr, IACE_DEFAULT);
    if (!focusing || mode == ImeMode::NoOp) return;
    HIMC imc = imm.getContext(box_);
    if (!imc) return;
    if (mode == ImeMode::Off) {
        imm.setOpenStatus(imc, FALSE);
    } else {
        imm.setOpenStatus(imc, TRUE);
        // By ImeMode, the conversion modes from Hiragana on.
        static constexpr DWORD kModes[] = {0,
                                           0,
                                           0,
                                           0,
                                           IME_CMODE_NATIVE | IME_CMODE_FULLSHAPE,
                                           IME_CMODE_NATIVE | IME_CMODE_KATAKANA | IME_CMODE_FULLSHAPE,
                                           IME_CMODE_NATIVE | IME_CMODE_KATAKANA,
                                           IME_CMODE_FULLSHAPE,
                                           IME_CMODE_ALPHANUMERIC};
        if (mode >= ImeMode::Hiragana) {
            DWORD conversion = 0, sentence = 0;
            imm.getConversionStatus(imc, &conversion, &sentence);
            imm.setConversionStatus(imc, kModes[props_.imeMode], sentence);
        }
    }
    imm.releaseContext(box_, imc);
}

}  // namespace brisko
