#pragma once
// OLE drag and drop of the control, through Windows' own (RegisterDragDrop,
// DoDragDrop), as VB's text box does it. OLEDropMode 1 raises OLEDragOver
// and OLEDragDrop with the dropped data; 2 puts dropped text into the box
// through the change processing, without events. OLEDragMode 1 (a press on
// the selection that moves) and the OLEDrag method drag the selected text,
// raising OLEStartDrag, OLESetData, OLEGiveFeedback and OLECompleteDrag.
#include <oleidl.h>
#include <windows.h>

#include <cstdint>
#include <memory>
#include <string>

#include "common/win/com_ptr.h"

namespace brisko {

class SpinEditBoxObject;
class SpinEditData;

class DragDrop {
public:
    explicit DragDrop(SpinEditBoxObject& owner);
    ~DragDrop();
    DragDrop(const DragDrop&) = delete;
    DragDrop& operator=(const DragDrop&) = delete;

    // Registers the control's window as a drop target while OLEDropMode
    // takes drops, and revokes it otherwise.
    void Update();
    // Before the window goes.
    void Revoke();
    // A drag of the selected text, or of what OLEStartDrag offers instead.
    void DragSelection();
    // A left press on the text box, at a point of the screen: with
    // OLEDragMode automatic a press on the selection drags it once the mouse
    // moves, and places the caret otherwise. True when it took the press.
    bool TakePress(POINT screen);

    // What the control's drop target and drop source hear from OLE.
    HRESULT Enter(IDataObject* data, DWORD keys, POINTL at, DWORD* effect);
    HRESULT Over(DWORD keys, POINTL at, DWORD* effect);
    HRESULT Leave();
    HRESULT Drop(IDataObject* data, DWORD keys, POINTL at, DWORD* effect);
    HRESULT Feedback(DWORD effect);

    struct Link;  // how the OLE-held objects reach this one, cleared when it goes

private:
    std::int32_t DropMode() const;
    // OLEDragOver and OLEDragDrop, with the effect the handler leaves.
    DWORD RaiseDropEvent(const wchar_t* name, DWORD keys, POINTL at, DWORD effect, std::int16_t state);
    DWORD Chosen(DWORD effect, DWORD keys) const;
    bool MovingWithin() const;
    DWORD AutomaticEffect(IDataObject* data, DWORD keys, DWORD allowed) const;
    DWORD DropText(IDataObject* data, DWORD keys, POINTL at, DWORD allowed);
    void RaiseSetData(SpinEditData& data, std::int16_t format);

    SpinEditBoxObject& owner_;
    std::shared_ptr<Link> link_;
    ComPtr<IDropTarget> target_;
    HWND registered_ = nullptr;
    ComPtr<SpinEditData> dropping_;  // a manual drop's data while the mouse is over the control
    DWORD allowed_ = 0;              // what the source of the drop over the control allows
    bool replaying_ = false;         // a click on the selection going on to the text box
    bool leftWithin_ = false;        // the drop went on from one of the control's windows to another
    // The selection being dragged, while DoDragDrop runs.
    struct Dragged {
        bool active = false;
        std::int32_t start = 0;
        std::wstring text;
    } dragged_;
};

}  // namespace brisko
