#pragma once
// The add-in's subscription to the IDE's component events: ItemAdded reaches
// the loader it was made for until the subscription is released.
//
// The VB6 IDE offers one event source for the components of all projects,
// VBE.Events.VBComponentsEvents(Nothing). The VBA editor has none: there each
// project's VBComponents collection is its own source, and projects come
// and go with their documents, as VBE.VBProjects reports.
#include <oaidl.h>
#include <ocidl.h>

#include <cstddef>
#include <vector>

#include "common/win/com_ptr.h"

namespace brisko {

class Loader;
class ComponentEventsSink;
class ProjectEventsSink;

class ComponentEventsSubscription {
public:
    // Made and ended where the sinks' types are known.
    ComponentEventsSubscription();
    ~ComponentEventsSubscription();
    ComponentEventsSubscription(const ComponentEventsSubscription&) = delete;
    ComponentEventsSubscription& operator=(const ComponentEventsSubscription&) = delete;

    // Subscribes to the source for all projects where the IDE offers it;
    // else, when `perProject` allows (the VBA editor), to every open
    // project's components and to the projects' comings and goings, passing
    // over a project that refuses. Raises what fails when no way can be taken.
    void Subscribe(IDispatch* vbe, Loader& owner, bool perProject);
    // Unsubscribes from everything; the sinks drop whatever still arrives.
    void Release();

    // How many projects' components are followed one by one.
    std::size_t FollowedProjects() const { return perProject_.size(); }

private:
    friend class ProjectEventsSink;

    struct Advice {
        ComPtr<IConnectionPoint> point;
        DWORD cookie = 0;
        explicit operator bool() const { return cookie != 0; }
        void Unadvise();
    };
    struct ProjectAdvice {
        // The project's COM identity, kept without a reference: a project
        // must be free to go when its document closes.
        const void* project;
        Advice advice;
    };

    void SubscribeToProjects(IDispatch* vbe);
    void FollowProject(IDispatch* project);
    void ForgetProject(IDispatch* project);

    Advice all_;
    Advice projects_;
    std::vector<ProjectAdvice> perProject_;
    ComPtr<ComponentEventsSink> componentsSink_;
    ComPtr<ProjectEventsSink> projectsSink_;
};

}  // namespace brisko
