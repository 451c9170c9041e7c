// Byte buffers for secrets: wiped with OPENSSL_cleanse whenever their storage
// is given back (destruction, growth, clear and shrink). No OpenSSL header is
// included here, so that this header may follow CertApi.h.
#pragma once

#include <cstddef>
#include <memory>
#include <string>
#include <vector>

#include "platform/WinTypes.h"

namespace vk::crypto {

// OPENSSL_cleanse: overwrites the bytes in a way the compiler keeps.
void Cleanse(void* data, std::size_t size) noexcept;

template <class T>
struct CleansingAllocator {
    using value_type = T;
    CleansingAllocator() = default;
    template <class U>
    CleansingAllocator(const CleansingAllocator<U>&) noexcept {}
    T* allocate(std::size_t n) { return std::allocator<T>{}.allocate(n); }
    void deallocate(T* p, std::size_t n) noexcept {
        Cleanse(p, n * sizeof(T));
        std::allocator<T>{}.deallocate(p, n);
    }
    template <class U>
    bool operator==(const CleansingAllocator<U>&) const noexcept {
        return true;
    }
};

using SecureBytes = std::vector<BYTE, CleansingAllocator<BYTE>>;
using SecureString = std::basic_string<char, std::char_traits<char>, CleansingAllocator<char>>;

// Wipes a string's whole buffer (short strings live inside the object, where no allocator
// sees them) and empties it.
template <class CharT, class Traits, class Alloc>
void WipeString(std::basic_string<CharT, Traits, Alloc>& text) {
    Cleanse(text.data(), text.capacity() * sizeof(CharT));
    text.clear();
}

}  // namespace vk::crypto
