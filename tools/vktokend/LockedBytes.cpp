#include "LockedBytes.h"

#include <openssl/crypto.h>
#include <sys/mman.h>
#include <unistd.h>

#include <new>

namespace vktokend {

LockedBytes::LockedBytes(std::size_t size) : m_size(size) {
    const auto page = static_cast<std::size_t>(::sysconf(_SC_PAGESIZE));
    m_mapped = (size + page - 1) / page * page;
    void* pages =
        ::mmap(nullptr, m_mapped, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (pages == MAP_FAILED) {
        throw std::bad_alloc();
    }
    // Over the lock limit the secret still stays out of dumps; the service
    // itself is not dumpable either.
    ::mlock(pages, m_mapped);
    ::madvise(pages, m_mapped, MADV_DONTDUMP);
    m_data = static_cast<std::uint8_t*>(pages);
}

LockedBytes::~LockedBytes() {
    OPENSSL_cleanse(m_data, m_mapped);
    ::munlock(m_data, m_mapped);
    ::munmap(m_data, m_mapped);
}

}  // namespace vktokend
