// The control on the form: in-place activation (the window moves from its
// parking place into the container's window and back), keyboard routing as
// a form's message loop asks for it, and drawing into a given DC for the
// designer and for printing.
#include <algorithm>
#include <string>

#include "common/units.h"
#include "common/win/gdi.h"
#include "spinedit/control/win/ole_font.h"
#include "spinedit/control/win/spin_edit_box.h"

namespace brisko {

namespace {

// A colour drawn for the designer and printing; the window's background
// for a value the translation rejects.
COLORREF DrawColor(std::uint32_t oleColor) {
    return OleColorToRgb(oleColor, GetSysColor(COLOR_WINDOW));
}

RECT ChildRect(HWND child, HWND parent) {
    RECT r{};
    if (!child) return r;
    GetWindowRect(child, &r);
    MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&r), 2);
    return r;
}

}  // namespace

STDMETHODIMP SpinEditBoxObject::GetWindow(HWND* hwnd) {
    if (!hwnd) return E_POINTER;
    *hwnd = inPlaceActive_ ? window_ : nullptr;
    return *hwnd ? S_OK : E_FAIL;
}

HRESULT SpinEditBoxObject::Activate(bool uiActivate, IOleClientSite* activeSite, LPCRECT posRect) {
    if (!Box()) return E_UNEXPECTED;
    if (!site_ && activeSite) site_ = ComPtr<IOleClientSite>(activeSite);
    if (!inPlaceActive_) {
        ComPtr<IOleInPlaceSite> site = site_.As<IOleInPlaceSite>(IID_IOleInPlaceSite);
        if (!site) return E_NOINTERFACE;
        if (site->CanInPlaceActivate() != S_OK) return E_FAIL;
        site->OnInPlaceActivate();
        HWND parent = nullptr;
        if (FAILED(site->GetWindow(&parent)) || !parent) {
            site->OnInPlaceDeactivate();
            return E_FAIL;
        }
        ComPtr<IOleInPlaceFrame> frame;
        ComPtr<IOleInPlaceUIWindow> document;
        RECT pos{}, clip{};
        OLEINPLACEFRAMEINFO info{};
        info.cb = sizeof info;
        if (FAILED(site->GetWindowContext(frame.Put(), document.Put(), &pos, &clip, &info))) {
            if (posRect) pos = *posRect;
        }
        inPlaceSite_ = site;
        frame_ = frame;
        document_ = document;
        inPlaceActive_ = true;
        SetParent(window_, parent);
        SetWindowPos(window_, HWND_TOP, pos.left, pos.top, pos.right - pos.left, pos.bottom - pos.top, SWP_NOACTIVATE);
    }
    Show(true);
    if (uiActivate && !uiActive_) {
        uiActive_ = true;
        inPlaceSite_->OnUIActivate();
        if (frame_) frame_->SetActiveObject(this, nullptr);
        if (document_) document_->SetActiveObject(this, nullptr);
        if (SpinEdit* box = Box(); box && !box->IsFocused()) box->SetFocus();
    }
    return S_OK;
}

// The text box got or lost the focus by the user's hand (a click, a Tab):
// the control becomes the form's active one, as the container expects.
void SpinEditBoxObject::OnFocusChange(bool focused) {
    if (focused && inPlaceActive_ && !uiActive_) {
        uiActive_ = true;
        inPlaceSite_->OnUIActivate();
        if (frame_) frame_->SetActiveObject(this, nullptr);
        if (document_) document_->SetActiveObject(this, nullptr);
    }
    if (auto controlSite = site_.As<IOleControlSite>(IID_IOleControlSite)) controlSite->OnFocus(focused);
}

STDMETHODIMP SpinEditBoxObject::UIDeactivate() {
    return Barrier([&] {
        if (!uiActive_) return S_OK;
        uiActive_ = false;
        if (frame_) frame_->SetActiveObject(nullptr, nullptr);
        if (document_) document_->SetActiveObject(nullptr, nullptr);
        if (inPlaceSite_) inPlaceSite_->OnUIDeactivate(FALSE);
        return S_OK;
    });
}

void SpinEditBoxObject::Show(bool visible) {
    if (!window_ || !IsWindow(window_) || (IsWindowVisible(window_) != FALSE) == visible) return;
    ShowWindow(window_, visible ? SW_SHOWNA : SW_HIDE);
    VARIANT arg;
    V_VT(&arg) = VT_BOOL;
    V_BOOL(&arg) = visible ? VARIANT_TRUE : VARIANT_FALSE;
    RaiseEvent(L"Visibility", &arg, 1);
}

void SpinEditBoxObject::Park() {
    if (!window_ || !IsWindow(window_) || !parking_) return;
    Show(false);
    SetParent(window_, parking_.Get());
}

STDMETHODIMP SpinEditBoxObject::InPlaceDeactivate() {
    return Barrier([&] {
        if (!inPlaceActive_) return S_OK;
        UIDeactivate();
        inPlaceActive_ = false;
        // Back under the parking window, so that the container's window can go
        // without taking the control's state with it.
        Park();
        ComPtr<IOleInPlaceSite> site = std::move(inPlaceSite_);
        frame_.Reset();
        document_.Reset();
        if (site) site->OnInPlaceDeactivate();
        return S_OK;
    });
}

STDMETHODIMP SpinEditBoxObject::SetObjectRects(LPCRECT pos, LPCRECT) {
    return Barrier([&] {
        if (!pos) return E_POINTER;
        if (!window_ || !IsWindow(window_)) return E_UNEXPECTED;
        const int width = std::max(0L, pos->right - pos->left), height = std::max(0L, pos->bottom - pos->top);
        RECT before{};
        GetWindowRect(window_, &before);
        SetWindowPos(window_, nullptr, pos->left, pos->top, width, height, SWP_NOZORDER | SWP_NOACTIVATE);
        const int dpi = ScreenDpi();
        RECT now{};
        GetWindowRect(window_, &now);  // the window may have kept a minimum width
        extent_.cx = PixelsToHimetric(now.right - now.left, dpi);
        extent_.cy = PixelsToHimetric(now.bottom - now.top, dpi);
        if (now.right - now.left != before.right - before.left || now.bottom - now.top != before.bottom - before.top)
            RaiseEvent(L"Resize", nullptr, 0);
        return S_OK;
    });
}

// A form's message loop offers every key to the active control first. The
// keys the text box itself wants (the arrows, and characters) go to it
// directly, so that the form does not take them for moving between
// controls; Tab, Enter, Esc and the form's accelerators go back to the
// container through its control site.
STDMETHODIMP SpinEditBoxObject::TranslateAccelerator(LPMSG msg) {
    if (!msg) return E_POINTER;
    return Barrier([&] { return RouteKey(msg); });
}

HRESULT SpinEditBoxObject::RouteKey(LPMSG msg) {
    if (msg->message < WM_KEYFIRST || msg->message > WM_KEYLAST) return S_FALSE;
    SpinEdit* box = Box();
    if (box && msg->hwnd && (msg->hwnd == box->hWndText() || IsChild(box->hWnd(), msg->hwnd))) {
        const bool keyDown = msg->message == WM_KEYDOWN || msg->message == WM_SYSKEYDOWN;
        bool wanted = false;
        if (keyDown) {
            const UINT code =
                static_cast<UINT>(SendMessageW(msg->hwnd, WM_GETDLGCODE, msg->wParam, reinterpret_cast<LPARAM>(msg)));
            switch (msg->wParam) {
                case VK_LEFT:
                case VK_RIGHT:
                case VK_UP:
                case VK_DOWN:
                    wanted = (code & (DLGC_WANTARROWS | DLGC_WANTALLKEYS)) != 0;
                    break;
                case VK_TAB:
                    wanted = (code & (DLGC_WANTTAB | DLGC_WANTALLKEYS)) != 0;
                    break;
                case VK_RETURN:
                case VK_ESCAPE:
                    wanted = (code & DLGC_WANTALLKEYS) != 0;
                    break;
                default:
                    break;
            }
        }
        if (wanted && msg->message == WM_KEYDOWN) {
            TranslateMessage(msg);
            DispatchMessageW(msg);
            return S_OK;
        }
    }
    if (auto controlSite = site_.As<IOleControlSite>(IID_IOleControlSite)) {
        DWORD modifiers = 0;
        if (GetKeyState(VK_SHIFT) < 0) modifiers |= 1;    // KEYMOD_SHIFT
        if (GetKeyState(VK_CONTROL) < 0) modifiers |= 2;  // KEYMOD_CONTROL
        if (GetKeyState(VK_MENU) < 0) modifiers |= 4;     // KEYMOD_ALT
        if (controlSite->TranslateAccelerator(msg, modifiers) == S_OK) return S_OK;
    }
    return S_FALSE;
}

// IViewObject2: the control as it looks, drawn from the window's own parts
// and state into any DC and rectangle (the designer's form, a printer).
STDMETHODIMP SpinEditBoxObject::Draw(DWORD aspect, LONG, void*, DVTARGETDEVICE*, HDC, HDC dc, LPCRECTL bounds, LPCRECTL,
                                     BOOL(STDMETHODCALLTYPE*)(ULONG_PTR), ULONG_PTR) {
    if (aspect != DVASPECT_CONTENT) return DV_E_DVASPECT;
    if (!dc || !bounds) return E_INVALIDARG;
    SpinEdit* box = Box();
    if (!box) return E_UNEXPECTED;
    try {
        RECT client{};
        GetClientRect(box->hWnd(), &client);
        RECT window{};
        GetWindowRect(box->hWnd(), &window);
        const int ww = std::max(1L, window.right - window.left), wh = std::max(1L, window.bottom - window.top);
        const RECT target{bounds->left, bounds->top, bounds->right, bounds->bottom};
        const int tw = target.right - target.left, th = target.bottom - target.top;
        if (tw <= 0 || th <= 0) return S_OK;
        // Window pixels to target pixels.
        auto mapRect = [&](RECT r, POINT origin) {
            return RECT{target.left + ScaleRounded(r.left + origin.x, tw, ww),
                        target.top + ScaleRounded(r.top + origin.y, th, wh),
                        target.left + ScaleRounded(r.right + origin.x, tw, ww),
                        target.top + ScaleRounded(r.bottom + origin.y, th, wh)};
        };
        POINT clientOrigin{0, 0};
        ClientToScreen(box->hWnd(), &clientOrigin);
        clientOrigin.x -= window.left;
        clientOrigin.y -= window.top;

        const int saved = SaveDC(dc);
        const COLORREF back = DrawColor(!box->Enabled() && !box->DesignMode() ? box->DisableColor() : box->BackColor());
        UniqueBrush brush(CreateSolidBrush(back));
        FillRect(dc, &target, brush.Get());
        if (box->BorderStyle() == kBorderStyleFixedSingle) {
            RECT frame = target;
            if (box->Appearance() == kAppearance3D)
                DrawEdge(dc, &frame, EDGE_SUNKEN, BF_RECT);
            else
                FrameRect(dc, &frame, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
        }
        if (HWND spin = box->hWndSpin(); spin && box->VisibleSpin()) {
            const RECT r = mapRect(ChildRect(spin, box->hWnd()), clientOrigin);
            const int half = (r.bottom - r.top) / 2;
            RECT up{r.left, r.top, r.right, r.top + half}, down{r.left, r.top + half, r.right, r.bottom};
            const UINT state = box->EnabledSpin() && box->Enabled() ? 0 : DFCS_INACTIVE;
            DrawFrameControl(dc, &up, DFC_SCROLL, DFCS_SCROLLUP | state);
            DrawFrameControl(dc, &down, DFC_SCROLL, DFCS_SCROLLDOWN | state);
        }
        if (HWND text = box->hWndText()) {
            RECT r = mapRect(ChildRect(text, box->hWnd()), clientOrigin);
            // The text at the target's scale: the font's height in pixels
            // scaled like the window, made at 72 dots per inch, where a point
            // is a pixel.
            auto current = FontSpecOfGdiFont(reinterpret_cast<HFONT>(SendMessageW(box->hWnd(), WM_GETFONT, 0, 0)));
            if (!current) current = FontSpecOfGdiFont(static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT)));
            FontSpec face = current.value_or(FontSpec{});
            const int height = FontPixelHeight(face.sizeCy, ScreenDpi());
            face.SetSize(ScaleRounded(height ? height : 12, th, wh));
            const UniqueFont font = MakeFont(face, kPointsPerInch);
            SelectInDC select(dc, font.Get());
            SetBkMode(dc, TRANSPARENT);
            SetTextColor(dc, DrawColor(box->Enabled() ? box->ForeColor() : kColorGrayText));
            std::wstring shown = box->Text();
            if (const std::wstring mask = box->PasswordChar(); !mask.empty()) shown.assign(shown.size(), mask[0]);
            static constexpr UINT kAlign[] = {DT_LEFT, DT_RIGHT,
                                              DT_CENTER};  // by kAlignLeft, kAlignRight, kAlignCenter
            const UINT align = kAlign[std::clamp(box->Alignment(), kAlignLeft, kAlignCenter)];
            DrawTextW(dc, shown.c_str(), static_cast<int>(shown.size()), &r,
                      align | DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX);
        }
        RestoreDC(dc, saved);
        return S_OK;
    } catch (...) {
        return E_FAIL;
    }
}

STDMETHODIMP SpinEditBoxObject::GetColorSet(DWORD, LONG, void*, DVTARGETDEVICE*, HDC, LOGPALETTE** out) {
    if (out) *out = nullptr;
    return S_FALSE;
}

STDMETHODIMP SpinEditBoxObject::SetAdvise(DWORD aspects, DWORD flags, IAdviseSink* sink) {
    viewAspects_ = aspects;
    viewFlags_ = flags;
    viewSink_ = ComPtr<IAdviseSink>(sink);
    return S_OK;
}

STDMETHODIMP SpinEditBoxObject::GetAdvise(DWORD* aspects, DWORD* flags, IAdviseSink** sink) {
    if (aspects) *aspects = viewAspects_;
    if (flags) *flags = viewFlags_;
    if (sink) {
        *sink = viewSink_.Get();
        if (*sink) (*sink)->AddRef();
    }
    return S_OK;
}

STDMETHODIMP SpinEditBoxObject::GetExtent(DWORD aspect, LONG, DVTARGETDEVICE*, LPSIZEL size) {
    return GetExtent(aspect, size);
}

}  // namespace brisko
