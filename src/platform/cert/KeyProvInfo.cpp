#include "platform/cert/KeyProvInfo.h"

#include <cstring>
#include <string>

#include "platform/cert/FlatArena.h"
#include "platform/text/Utf.h"

namespace vk::cert {

namespace {

constexpr DWORD kNone = 0xFFFFFFFF;

void PutU32(std::vector<BYTE>& out, DWORD v) {
    for (int i = 0; i < 4; ++i) {
        out.push_back(static_cast<BYTE>(v >> (8 * i)));
    }
}

void PutString(std::vector<BYTE>& out, LPCWSTR text) {
    if (!text) {
        PutU32(out, kNone);
        return;
    }
    const std::string utf8 = WideToUtf8(text);
    PutU32(out, static_cast<DWORD>(utf8.size()));
    out.insert(out.end(), utf8.begin(), utf8.end());
}

class Reader {
public:
    explicit Reader(const std::vector<BYTE>& data) : m_data(data) {}
    bool U32(DWORD& v) {
        if (m_data.size() - m_pos < 4) {
            return false;
        }
        v = 0;
        for (int i = 0; i < 4; ++i) {
            v |= DWORD{m_data[m_pos + i]} << (8 * i);
        }
        m_pos += 4;
        return true;
    }
    bool Bytes(DWORD n, const BYTE*& p) {
        if (m_data.size() - m_pos < n) {
            return false;
        }
        p = m_data.data() + m_pos;
        m_pos += n;
        return true;
    }
    bool String(std::optional<std::wstring>& out) {
        DWORD n = 0;
        if (!U32(n)) {
            return false;
        }
        if (n == kNone) {
            out.reset();
            return true;
        }
        const BYTE* p = nullptr;
        if (!Bytes(n, p)) {
            return false;
        }
        out = Utf8ToWide(std::string_view(reinterpret_cast<const char*>(p), n));
        return true;
    }
    bool AtEnd() const { return m_pos == m_data.size(); }

private:
    const std::vector<BYTE>& m_data;
    std::size_t m_pos = 0;
};

}  // namespace

std::vector<BYTE> SerializeKeyProvInfo(const CRYPT_KEY_PROV_INFO& info) {
    std::vector<BYTE> out;
    PutU32(out, info.dwProvType);
    PutU32(out, info.dwFlags);
    PutU32(out, info.dwKeySpec);
    PutString(out, info.pwszContainerName);
    PutString(out, info.pwszProvName);
    const DWORD count = info.rgProvParam ? info.cProvParam : 0;
    PutU32(out, count);
    for (DWORD i = 0; i < count; ++i) {
        const CRYPT_KEY_PROV_PARAM& p = info.rgProvParam[i];
        PutU32(out, p.dwParam);
        PutU32(out, p.dwFlags);
        const DWORD n = p.pbData ? p.cbData : 0;
        PutU32(out, n);
        out.insert(out.end(), p.pbData, p.pbData + n);
    }
    return out;
}

CRYPT_KEY_PROV_INFO* LayOutKeyProvInfo(const std::vector<BYTE>& serial, FlatArena& arena) {
    Reader r(serial);
    DWORD type = 0, flags = 0, spec = 0, count = 0;
    std::optional<std::wstring> container;
    std::optional<std::wstring> provider;
    if (!r.U32(type) || !r.U32(flags) || !r.U32(spec) || !r.String(container) ||
        !r.String(provider) || !r.U32(count) || count > serial.size() / 12) {
        return nullptr;
    }
    struct Param {
        DWORD id, flags, size;
        const BYTE* data;
    };
    std::vector<Param> params(count);
    for (Param& p : params) {
        if (!r.U32(p.id) || !r.U32(p.flags) || !r.U32(p.size) || !r.Bytes(p.size, p.data)) {
            return nullptr;
        }
    }
    if (!r.AtEnd()) {
        return nullptr;
    }
    auto* info = arena.New<CRYPT_KEY_PROV_INFO>();
    info->dwProvType = type;
    info->dwFlags = flags;
    info->dwKeySpec = spec;
    info->pwszContainerName = container ? arena.CopyWide(*container) : nullptr;
    info->pwszProvName = provider ? arena.CopyWide(*provider) : nullptr;
    info->cProvParam = count;
    info->rgProvParam = count ? arena.NewArray<CRYPT_KEY_PROV_PARAM>(count) : nullptr;
    for (DWORD i = 0; i < count; ++i) {
        info->rgProvParam[i].dwParam = params[i].id;
        info->rgProvParam[i].dwFlags = params[i].flags;
        info->rgProvParam[i].cbData = params[i].size;
        info->rgProvParam[i].pbData = arena.Copy(params[i].data, params[i].size);
    }
    return info;
}

}  // namespace vk::cert
