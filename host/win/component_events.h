#pragma once
// The add-in's subscription to the IDE's component events: ItemAdded reaches
// the loader it was made for until the subscription is released.
#include <oaidl.h>
#include <ocidl.h>

#include "common/win/com_ptr.h"

namespace brisko {

class Loader;
class ComponentEventsSink;

class ComponentEventsSubscription {
public:
    // Made and ended where the sink's type is known.
    ComponentEventsSubscription();
    ~ComponentEventsSubscription();

    // Subscribes to VBE.Events.VBComponentsEvents(Nothing); raises what fails.
    void Subscribe(IDispatch* vbe, Loader& owner);
    // Unsubscribes; the sink drops whatever still arrives.
    void Release();

private:
    ComPtr<IConnectionPoint> point_;
    ComPtr<ComponentEventsSink> sink_;
    DWORD cookie_ = 0;
};

}  // namespace brisko
