#include "program/core/sdp/CSingletonRegistry.h"

namespace SDP::SINGLETON {

template class CSingletonBase<STHREADS::MultiThreadedModel<STHREADS::WIN::CCriticalSectionLockObj>>;

CSingletonRegistry& Registry() {
    static CSingletonRegistry registry;
    return registry;
}

void Teardown() {
    Registry().Teardown();
}

}  // namespace SDP::SINGLETON
