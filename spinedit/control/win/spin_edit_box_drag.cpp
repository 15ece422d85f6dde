#include "spinedit/control/win/spin_edit_box_drag.h"

#include <utility>

#include "common/win/com_object.h"
#include "spinedit/control/win/event_args.h"
#include "spinedit/control/win/spin_edit_box.h"
#include "spinedit/control/win/spin_edit_box_data.h"
#include "spinedit/spin_drop.h"

namespace brisko {

// The drop target and drop source live as long as OLE holds them; they
// reach the control through this, which the control clears when it goes.
struct DragDrop::Link {
    DragDrop* drag = nullptr;
};

namespace {

constexpr std::int32_t kDropManual = 1, kDropAutomatic = 2, kDragAutomatic = 1;
constexpr std::int16_t kStateEnter = 0, kStateLeave = 1, kStateOver = 2;

template <class Interface, const IID& kIid>
class Linked : public HeapComObject<Interface, kIid> {
public:
    explicit Linked(std::shared_ptr<DragDrop::Link> link) : link_(std::move(link)) {}

protected:
    // The control's handling, or `gone` once the control has gone.
    template <class F>
    HRESULT Forward(HRESULT gone, F&& call) {
        return Barrier([&] { return link_->drag ? call(*link_->drag) : gone; });
    }

private:
    std::shared_ptr<DragDrop::Link> link_;
};

class Target final : public Linked<IDropTarget, IID_IDropTarget> {
public:
    using Linked::Linked;
    STDMETHODIMP DragEnter(IDataObject* data, DWORD keys, POINTL at, DWORD* effect) override {
        if (!data || !effect) return E_INVALIDARG;
        return Refusing(effect, [&](DragDrop& d) { return d.Enter(data, keys, at, effect); });
    }
    STDMETHODIMP DragOver(DWORD keys, POINTL at, DWORD* effect) override {
        if (!effect) return E_INVALIDARG;
        return Refusing(effect, [&](DragDrop& d) { return d.Over(keys, at, effect); });
    }
    STDMETHODIMP DragLeave() override {
        return Forward(S_OK, [](DragDrop& d) { return d.Leave(); });
    }
    STDMETHODIMP Drop(IDataObject* data, DWORD keys, POINTL at, DWORD* effect) override {
        if (!data || !effect) return E_INVALIDARG;
        return Refusing(effect, [&](DragDrop& d) { return d.Drop(data, keys, at, effect); });
    }

private:
    // A drop the control cannot take (it has gone, or failed) has no effect.
    template <class F>
    HRESULT Refusing(DWORD* effect, F&& call) {
        const DWORD allowed = *effect;
        *effect = kDropNone;
        const HRESULT hr = Forward(S_OK, [&](DragDrop& d) {
            *effect = allowed;
            return call(d);
        });
        if (FAILED(hr)) *effect = kDropNone;
        return hr;
    }
};

class Source final : public Linked<IDropSource, IID_IDropSource> {
public:
    using Linked::Linked;
    STDMETHODIMP QueryContinueDrag(BOOL escape, DWORD keys) override {
        if (escape) return DRAGDROP_S_CANCEL;
        return (keys & (MK_LBUTTON | MK_RBUTTON)) ? S_OK : DRAGDROP_S_DROP;
    }
    STDMETHODIMP GiveFeedback(DWORD effect) override {
        return Forward(DRAGDROP_S_USEDEFAULTCURSORS, [&](DragDrop& d) { return d.Feedback(effect); });
    }
};

IDispatch* AsDispatch(SpinEditData& data) {
    return static_cast<SpinEditDataObject*>(&data);
}

}  // namespace

DragDrop::DragDrop(SpinEditBoxObject& owner) : owner_(owner), link_(std::make_shared<Link>(Link{this})) {}

DragDrop::~DragDrop() {
    Revoke();
    link_->drag = nullptr;
}

std::int32_t DragDrop::DropMode() const {
    SpinEdit* box = owner_.Box();
    return box ? box->Retained().oleDropMode : 0;
}

void DragDrop::Update() {
    SpinEdit* box = owner_.Box();
    const bool wanted = box && DropMode() != 0 && owner_.UserMode();
    if (!wanted) {
        Revoke();
        return;
    }
    if (registered_ == box->hWnd()) return;
    Revoke();
    if (!target_) target_ = ComPtr<IDropTarget>::Attach(new Target(link_));
    // Without OLE on this thread (a host that never initialised it) no drop arrives.
    if (SUCCEEDED(RegisterDragDrop(box->hWnd(), target_.Get()))) registered_ = box->hWnd();
}

void DragDrop::Revoke() {
    if (registered_ && IsWindow(registered_)) RevokeDragDrop(registered_);
    registered_ = nullptr;
    if (dropping_) dropping_->SetMode(SpinEditData::Mode::Over);
    dropping_.Reset();
}

DWORD DragDrop::RaiseDropEvent(const wchar_t* name, DWORD keys, POINTL at, DWORD effect, std::int16_t state) {
    SpinEdit* box = owner_.Box();
    // A drop nobody handles does nothing, and the source must not think otherwise.
    if (!box || !dropping_ || !owner_.Raises()) return kDropNone;
    POINT client{at.x, at.y};
    ScreenToClient(box->hWnd(), &client);
    const auto [x, y] = owner_.ContainerPoint(client);
    const bool over = state >= 0;
    EventArgs a(over ? 7 : 6);
    a.Object(0, AsDispatch(*dropping_.Get()));
    a.I4(1, static_cast<LONG>(effect));
    a.I2(2, DropButton(keys));
    a.I2(3, DropShift(keys));
    a.R4(4, x);
    a.R4(5, y);
    if (over) a.I2(6, state);
    owner_.RaiseEvent(name, a.Data(), a.Count());
    return static_cast<DWORD>(a.I4Of(1, static_cast<LONG>(effect)));
}

DWORD DragDrop::AutomaticEffect(IDataObject* data, DWORD keys, DWORD allowed) const {
    SpinEdit* box = owner_.Box();
    if (!box || !box->Enabled() || box->Locked() || !data) return kDropNone;
    FORMATETC wide{CF_UNICODETEXT, nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL};
    FORMATETC ansi{CF_TEXT, nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL};
    if (data->QueryGetData(&wide) != S_OK && data->QueryGetData(&ansi) != S_OK) return kDropNone;
    return DropEffectFor(allowed, keys);
}

HRESULT DragDrop::Enter(IDataObject* data, DWORD keys, POINTL at, DWORD* effect) {
    const bool goingOn = std::exchange(leftWithin_, false) && dropping_ && dropping_->Source() == data;
    allowed_ = *effect;
    if (DropMode() == kDropAutomatic) {
        // Whether the data suits the box is known now; the keys may still change the effect.
        if (AutomaticEffect(data, keys, allowed_) == kDropNone) allowed_ = kDropNone;
        *effect = DropEffectFor(allowed_, keys);
        return S_OK;
    }
    if (!goingOn) dropping_ = SpinEditData::Reading(data);
    *effect = Chosen(RaiseDropEvent(L"OLEDragOver", keys, at, allowed_, goingOn ? kStateOver : kStateEnter), keys);
    return S_OK;
}

HRESULT DragDrop::Over(DWORD keys, POINTL at, DWORD* effect) {
    if (DropMode() == kDropAutomatic) {
        *effect = DropEffectFor(allowed_, keys);
        return S_OK;
    }
    *effect = Chosen(RaiseDropEvent(L"OLEDragOver", keys, at, allowed_, kStateOver), keys);
    return S_OK;
}

// OLE takes the mouse's move from the control's own window onto its text
// box or arrows for leaving one target and entering another: while the
// button is still held over the control, the drag goes on.
bool DragDrop::MovingWithin() const {
    SpinEdit* box = owner_.Box();
    POINT p{};
    if (!box || !GetCursorPos(&p) || GetAsyncKeyState(VK_ESCAPE) < 0) return false;
    if (GetAsyncKeyState(VK_LBUTTON) >= 0 && GetAsyncKeyState(VK_RBUTTON) >= 0) return false;
    const HWND under = WindowFromPoint(p);
    return under && (under == box->hWnd() || IsChild(box->hWnd(), under));
}

HRESULT DragDrop::Leave() {
    if (dropping_ && MovingWithin()) {
        leftWithin_ = true;
        return S_OK;
    }
    leftWithin_ = false;
    if (DropMode() == kDropManual && dropping_) {
        POINT p{};
        GetCursorPos(&p);
        RaiseDropEvent(L"OLEDragOver", 0, POINTL{p.x, p.y}, kDropNone, kStateLeave);
    }
    if (dropping_) dropping_->SetMode(SpinEditData::Mode::Over);
    dropping_.Reset();
    return S_OK;
}

HRESULT DragDrop::Drop(IDataObject* data, DWORD keys, POINTL at, DWORD* effect) {
    const DWORD allowed = *effect;
    if (DropMode() == kDropAutomatic) {
        *effect = AutomaticEffect(data, keys, allowed) ? DropText(data, keys, at, allowed) : kDropNone;
        return S_OK;
    }
    if (!dropping_) dropping_ = SpinEditData::Reading(data);
    allowed_ = allowed;
    *effect = Chosen(RaiseDropEvent(L"OLEDragDrop", keys, at, allowed, -1), keys) & ~kDropScroll;
    if (dropping_) dropping_->SetMode(SpinEditData::Mode::Over);
    dropping_.Reset();
    return S_OK;
}

// The dropped text goes in where it was dropped as typing would put it there:
// the change processing's limits and filter apply, and a drop they undo (or
// one onto the dragged text itself) has no effect.
DWORD DragDrop::DropText(IDataObject* data, DWORD keys, POINTL at, DWORD allowed) {
    SpinEdit* box = owner_.Box();
    const auto text = SpinEditData::Reading(data)->Text();
    if (!box || !text || text->empty()) return kDropNone;
    POINT client{at.x, at.y};
    ScreenToClient(box->hWnd(), &client);
    const std::wstring before = box->Text();
    std::int32_t pos = box->HitTest(client.x, client.y);
    if (pos < 0 || pos > static_cast<std::int32_t>(before.size())) pos = static_cast<std::int32_t>(before.size());
    if (dragged_.active && pos >= dragged_.start &&
        pos <= dragged_.start + static_cast<std::int32_t>(dragged_.text.size()))
        return kDropNone;
    box->SetSelStart(pos);
    box->SetSelText(*text);
    if (box->Text() == before) return kDropNone;
    // A move within the box: the dragged text now lies further on.
    if (dragged_.active && pos < dragged_.start) dragged_.start += static_cast<std::int32_t>(text->size());
    return DropEffectFor(allowed, keys);
}

// What a handler left in Effect comes in as all the source allows: one of
// those it kept, chosen by the keys, and the scroll bit as it was left.
DWORD DragDrop::Chosen(DWORD effect, DWORD keys) const {
    return DropEffectFor(effect & allowed_, keys) | (effect & kDropScroll);
}

void DragDrop::RaiseSetData(SpinEditData& data, std::int16_t format) {
    EventArgs a(2);
    a.Object(0, AsDispatch(data));
    a.I2(1, format);
    owner_.RaiseEvent(L"OLESetData", a.Data(), a.Count());
}

HRESULT DragDrop::Feedback(DWORD effect) {
    EventArgs a(2);
    a.I4(0, static_cast<LONG>(effect));
    a.Bool(1, true);
    owner_.RaiseEvent(L"OLEGiveFeedback", a.Data(), a.Count());
    return a.BoolOf(1, true) ? DRAGDROP_S_USEDEFAULTCURSORS : S_OK;
}

void DragDrop::DragSelection() {
    SpinEdit* box = owner_.Box();
    if (!box || dragged_.active) return;
    auto data = SpinEditData::Offering([this](SpinEditData& d, std::int16_t format) { RaiseSetData(d, format); });
    const std::wstring selected = box->SelText();
    if (!selected.empty()) data->OfferText(selected);
    EventArgs start(2);
    start.Object(0, AsDispatch(*data.Get()));
    start.I4(1, kDropCopy | (box->Locked() ? 0 : kDropMove));
    owner_.RaiseEvent(L"OLEStartDrag", start.Data(), start.Count());
    const DWORD allowed = static_cast<DWORD>(start.I4Of(1, 0)) & (kDropCopy | kDropMove);
    if (allowed == kDropNone || data->Empty()) {
        data->SetMode(SpinEditData::Mode::Over);
        return;
    }
    dragged_ = {true, box->SelStart(), selected};
    DWORD effect = kDropNone;
    auto source = ComPtr<IDropSource>::Attach(new Source(link_));
    const HRESULT hr = DoDragDrop(static_cast<IDataObject*>(data.Get()), source.Get(), allowed, &effect);
    const Dragged dragged = dragged_;
    dragged_ = {};
    if (hr != DRAGDROP_S_DROP) effect = kDropNone;
    EventArgs done(1);
    done.I4(0, static_cast<LONG>(effect));
    owner_.RaiseEvent(L"OLECompleteDrag", done.Data(), done.Count());
    data->SetMode(SpinEditData::Mode::Over);
    // A moved selection leaves the box, as long as it is still where it was.
    box = owner_.Box();
    if (!box || !(effect & kDropMove) || box->Retained().oleDragMode != kDragAutomatic || dragged.text.empty() ||
        box->Text().compare(static_cast<std::size_t>(dragged.start), dragged.text.size(), dragged.text) != 0)
        return;
    box->SetSelStart(dragged.start);
    box->SetSelLength(static_cast<std::int32_t>(dragged.text.size()));
    box->SetSelText(L"");
}

bool DragDrop::TakePress(POINT screen) {
    SpinEdit* box = owner_.Box();
    if (!box || replaying_ || box->Retained().oleDragMode != kDragAutomatic || box->SelLength() == 0) return false;
    POINT client = screen;
    ScreenToClient(box->hWnd(), &client);
    const std::int32_t pos = box->HitTest(client.x, client.y);
    if (pos < box->SelStart() || pos >= box->SelStart() + box->SelLength()) return false;
    const HWND text = box->hWndText();
    if (DragDetect(text, screen)) {
        DragSelection();
        return true;
    }
    // A click on the selection after all, whose release the detection took:
    // the text box has both, and puts the caret there.
    POINT inText = screen;
    ScreenToClient(text, &inText);
    const LPARAM lp = MAKELPARAM(inText.x, inText.y);
    replaying_ = true;
    SendMessageW(text, WM_LBUTTONDOWN, MK_LBUTTON, lp);
    SendMessageW(text, WM_LBUTTONUP, 0, lp);
    replaying_ = false;
    return true;
}

}  // namespace brisko
