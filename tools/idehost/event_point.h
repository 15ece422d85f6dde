#pragma once
// One outgoing interface of a model object, as the IDE's event sources
// offer it: a connection point container with one connection point, both
// living inside the owning object and sharing its reference count, so that
// neither can outlive it. The IDE calls the advised sinks late-bound, by
// DISPID, and goes on with the next sink whatever one answers.
#include <ocidl.h>

#include <cstddef>
#include <initializer_list>
#include <vector>

#include "common/win/com_ptr.h"

namespace brisko::idehost {

class EventPoint {
public:
    EventPoint(IUnknown& owner, const IID& events) : owner_(owner), events_(events) {}
    EventPoint(const EventPoint&) = delete;
    EventPoint& operator=(const EventPoint&) = delete;

    // The container, for the owner's QueryInterface (not AddRef'd).
    IConnectionPointContainer* Container() { return &container_; }
    std::size_t SinkCount() const { return sinks_.size(); }
    // A source that refuses every new sink, as one can.
    void SetRefusing(bool refusing) { refusing_ = refusing; }
    // Calls member `id` on every sink advised now, with one object argument;
    // a sink may unadvise itself or others, or drop the owner, meanwhile.
    // Answers how many sinks were called.
    int Raise(DISPID id, IDispatch* argument);

private:
    class PointContainer final : public IConnectionPointContainer {
    public:
        explicit PointContainer(EventPoint& p) : p_(p) {}
        HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override;
        ULONG STDMETHODCALLTYPE AddRef() override { return p_.owner_.AddRef(); }
        ULONG STDMETHODCALLTYPE Release() override { return p_.owner_.Release(); }
        HRESULT STDMETHODCALLTYPE EnumConnectionPoints(IEnumConnectionPoints** out) override;
        HRESULT STDMETHODCALLTYPE FindConnectionPoint(REFIID iid, IConnectionPoint** out) override;

    private:
        EventPoint& p_;
    };
    class Point final : public IConnectionPoint {
    public:
        explicit Point(EventPoint& p) : p_(p) {}
        HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override;
        ULONG STDMETHODCALLTYPE AddRef() override { return p_.owner_.AddRef(); }
        ULONG STDMETHODCALLTYPE Release() override { return p_.owner_.Release(); }
        HRESULT STDMETHODCALLTYPE GetConnectionInterface(IID* iid) override;
        HRESULT STDMETHODCALLTYPE GetConnectionPointContainer(IConnectionPointContainer** out) override;
        HRESULT STDMETHODCALLTYPE Advise(IUnknown* sink, DWORD* cookie) override;
        HRESULT STDMETHODCALLTYPE Unadvise(DWORD cookie) override;
        HRESULT STDMETHODCALLTYPE EnumConnections(IEnumConnections** out) override;

    private:
        EventPoint& p_;
    };
    struct Sink {
        DWORD cookie;
        ComPtr<IDispatch> dispatch;
    };

    IUnknown& owner_;
    const IID& events_;
    PointContainer container_{*this};
    Point point_{*this};
    std::vector<Sink> sinks_;
    DWORD nextCookie_ = 1;
    bool refusing_ = false;
};

}  // namespace brisko::idehost
