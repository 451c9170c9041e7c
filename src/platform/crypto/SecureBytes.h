// Byte buffers for secrets: wiped with OPENSSL_cleanse whenever their storage
// is given back (destruction, growth, clear and shrink).
#pragma once

#include <openssl/crypto.h>

#include <cstddef>
#include <memory>
#include <string>
#include <vector>

#include "platform/WinTypes.h"

namespace vk::crypto {

template <class T>
struct CleansingAllocator {
    using value_type = T;
    CleansingAllocator() = default;
    template <class U>
    CleansingAllocator(const CleansingAllocator<U>&) noexcept {}
    T* allocate(std::size_t n) { return std::allocator<T>{}.allocate(n); }
    void deallocate(T* p, std::size_t n) noexcept {
        OPENSSL_cleanse(p, n * sizeof(T));
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
    OPENSSL_cleanse(text.data(), text.capacity() * sizeof(CharT));
    text.clear();
}

}  // namespace vk::crypto
