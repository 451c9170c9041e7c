// The token maker's runtime library types in which the middleware hands data
// over: wide and narrow strings, byte buffers, a PIN buffer that is wiped,
// and a small array.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

class VKLib_StringW {
public:
    VKLib_StringW() = default;
    VKLib_StringW(const wchar_t* text) : m_text(text ? text : L"") {}
    // Narrow text is widened as the ANSI code page (UTF-8 here) reads it.
    explicit VKLib_StringW(const char* text);

    // The wide text; the argument is the start offset.
    const wchar_t* Get_Buffer(std::size_t from) const;
    // A narrow copy (UTF-8).
    std::string GetA() const;
    std::size_t Get_Length() const { return m_text.size(); }

private:
    std::wstring m_text;
};

using VKLib_String = VKLib_StringW;

class VKLib_StringA {
public:
    explicit VKLib_StringA(const VKLib_StringW& wide) : m_text(wide.GetA()) {}
    const char* Get_Buffer(std::size_t from) const;

private:
    std::string m_text;
};

class VKLib_Buffer {
public:
    VKLib_Buffer() = default;
    VKLib_Buffer(const std::uint8_t* data, std::size_t size) : m_bytes(data, data + size) {}
    virtual ~VKLib_Buffer() = default;

    const std::uint8_t* Get_Ptr() const { return m_bytes.data(); }
    std::uint8_t* Get_Ptr() { return m_bytes.data(); }
    std::size_t Get_Size() const { return m_bytes.size(); }
    void Set(const std::uint8_t* data, std::size_t size);

protected:
    std::vector<std::uint8_t> m_bytes;
};

// A buffer for secrets: wiped when it changes or goes.
class VKLib_Protected_Buffer : public VKLib_Buffer {
public:
    VKLib_Protected_Buffer() = default;
    VKLib_Protected_Buffer(const VKLib_Protected_Buffer&) = delete;
    VKLib_Protected_Buffer& operator=(const VKLib_Protected_Buffer&) = delete;
    ~VKLib_Protected_Buffer() override;
    void Set(const std::uint8_t* data, std::size_t size);
    void Clear();
};

template <typename T, int Grow>
class VKLibT_Array {
public:
    std::size_t Get_Count() const { return m_items.size(); }
    const T& operator[](std::size_t i) const { return m_items.at(i); }
    void Add(const T& item) { m_items.push_back(item); }
    void Clear() { m_items.clear(); }

private:
    std::vector<T> m_items;
};
