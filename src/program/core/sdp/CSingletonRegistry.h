// The process's singleton registry and the calls that reach it.
#pragma once

#include "program/core/sdp/CCriticalSectionLockObj.h"
#include "program/core/sdp/CSingletonBase.h"
#include "program/core/sdp/MultiThreadedModel.h"

#include <cstdint>

namespace SDP::SINGLETON {

using CSingletonRegistry =
    CSingletonBase<STHREADS::MultiThreadedModel<STHREADS::WIN::CCriticalSectionLockObj>>;

extern template class CSingletonBase<
    STHREADS::MultiThreadedModel<STHREADS::WIN::CCriticalSectionLockObj>>;

// The process's registry, built on the first call and torn down by static destruction in the
// reverse order of construction: the start-up code calls it at the place in its static
// construction where the registry belongs.
CSingletonRegistry& Registry();

// Destroys the registered singletons now (at exit, before static destruction).
void Teardown();

template <class T>
T& Instance() {
    return Registry().Instance<T>();
}

template <class T>
void AddRef() {
    Registry().AddRef<T>();
}

template <class T>
void Release() {
    Registry().Release<T>();
}

}  // namespace SDP::SINGLETON
