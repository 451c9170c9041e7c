#include "platform/kernel/CriticalSection.h"

void InitializeCriticalSection(LPCRITICAL_SECTION section) {
    section->mutex.emplace();
}

// value() rather than operator*: entering a section that was never initialised (or was
// deleted) fails loudly instead of touching no lock at all.
void EnterCriticalSection(LPCRITICAL_SECTION section) {
    section->mutex.value().lock();
}

BOOL TryEnterCriticalSection(LPCRITICAL_SECTION section) {
    return section->mutex.value().try_lock() ? TRUE : FALSE;
}

void LeaveCriticalSection(LPCRITICAL_SECTION section) {
    section->mutex.value().unlock();
}

void DeleteCriticalSection(LPCRITICAL_SECTION section) {
    section->mutex.reset();
}

CCriticalSection::CCriticalSection() {
    InitializeCriticalSection(&m_section);
}

CCriticalSection::~CCriticalSection() {
    DeleteCriticalSection(&m_section);
}

void CCriticalSection::Enter() {
    EnterCriticalSection(&m_section);
}

bool CCriticalSection::TryEnter() {
    return TryEnterCriticalSection(&m_section) != FALSE;
}

void CCriticalSection::Leave() {
    LeaveCriticalSection(&m_section);
}
