#include "platform/middleware/VKLib.h"

#include <openssl/crypto.h>

#include "platform/text/Utf.h"

VKLib_StringW::VKLib_StringW(const char* text) : m_text(Utf8ToWide(text ? text : "")) {}

const wchar_t* VKLib_StringW::Get_Buffer(std::size_t from) const {
    return m_text.c_str() + (from < m_text.size() ? from : m_text.size());
}

std::string VKLib_StringW::GetA() const {
    return WideToUtf8(m_text);
}

const char* VKLib_StringA::Get_Buffer(std::size_t from) const {
    return m_text.c_str() + (from < m_text.size() ? from : m_text.size());
}

void VKLib_Buffer::Set(const std::uint8_t* data, std::size_t size) {
    m_bytes.assign(data, data + size);
}

VKLib_Protected_Buffer::~VKLib_Protected_Buffer() {
    Clear();
}

void VKLib_Protected_Buffer::Clear() {
    if (!m_bytes.empty()) {
        OPENSSL_cleanse(m_bytes.data(), m_bytes.size());
    }
    m_bytes.clear();
}

void VKLib_Protected_Buffer::Set(const std::uint8_t* data, std::size_t size) {
    Clear();
    // Reserve first so that the copy is never moved and left behind.
    m_bytes.reserve(size);
    m_bytes.assign(data, data + size);
}
