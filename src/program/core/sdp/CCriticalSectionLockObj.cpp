#include "program/core/sdp/CCriticalSectionLockObj.h"

namespace SDP::STHREADS::WIN {

void CCriticalSectionLockObj::Lock() {
    m_section.Enter();
}

void CCriticalSectionLockObj::Unlock() {
    m_section.Leave();
}

}  // namespace SDP::STHREADS::WIN
