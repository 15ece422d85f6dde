// When the connection may end: never under a call of ours that is still
// running. A modal loop of ours (the tab menu, the confirmation box, the
// settings dialog, a window's close prompt) lets the IDE run anything,
// OnDisconnection and its final Release included, and every frame below the
// loop returns into the bar, the menu and this object afterwards.
#include <utility>

#include "common/error.h"
#include "host/win/loader.h"

namespace brisko {

Loader::ModalLoop::ModalLoop(Loader& loader) : loader_(loader) {
    if (loader_.modalLoops_++ == 0 && loader_.owner_ && !loader_.keepAlive_)
        loader_.keepAlive_ = ComPtr<IUnknown>(loader_.owner_);
}

Loader::ModalLoop::~ModalLoop() {
    // The finishing work runs as frame_ closes, or later, when a call further
    // out is still open.
    if (--loader_.modalLoops_ == 0) loader_.finishDisconnection_.Schedule();
}

bool Loader::Connected() const {
    return m_pVBE || m_pMonitor || m_pMDITab || m_hMenu;
}

void Loader::OnDisconnection() {
    disconnecting_ = true;
    // The IDE may let go of us as soon as this returns.
    if (owner_ && !keepAlive_) keepAlive_ = ComPtr<IUnknown>(owner_);
    finishDisconnection_.Schedule();
}

void Loader::EndEarlierConnection() {
    if (!Connected()) return;
    // The IDE's own call may be the only one running; anything of ours
    // further down would return into what goes now.
    if (EntryDepth() > 1 || modalLoops_ > 0 || disconnecting_)
        throw Error(ErrorNumber::Automation, "the previous connection is still in use");
    TearDown();
}

void Loader::FinishDisconnection() {
    if (std::exchange(disconnecting_, false)) TearDown();
    if (modalLoops_ > 0) return;
    // Last: this may be the final reference, and destroy this object.
    if (IUnknown* last = keepAlive_.Detach()) last->Release();
}

}  // namespace brisko
