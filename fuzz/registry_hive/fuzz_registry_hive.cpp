// Arbitrary bytes, read two ways:
// - as a hive file: the parser must not crash, and whatever it reads must come
//   back unchanged after writing and reading it again;
// - as a recipe for a tree (keys, names of any characters, values of any type
//   and bytes): writing and reading it must give it back exactly.
// In both, the written form must parse without a damaged line.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "platform/registry/HiveText.h"

namespace {

const wchar_t* const kHive = L"HKEY_CURRENT_USER";

void CheckRoundTrip(const HiveKey& root) {
    const std::string written = SerializeHive(root, kHive);
    const HiveParseResult back = ParseHive(written, kHive);
    if (back.damaged || !(back.root == root)) {
        std::abort();
    }
    if (SerializeHive(back.root, kHive) != written) {
        std::abort();
    }
}

class Recipe {
public:
    Recipe(const std::uint8_t* data, std::size_t size) : m_data(data), m_size(size) {}
    bool More() const { return m_pos < m_size; }
    std::uint8_t Byte() { return More() ? m_data[m_pos++] : 0; }
    // Characters drawn mostly from ASCII and Cyrillic, sometimes anything.
    std::wstring Name() {
        std::wstring out(Byte() % 12, L'a');
        for (auto& c : out) {
            const std::uint8_t b = Byte();
            switch (b >> 6) {
                case 0:
                case 1:
                    c = static_cast<wchar_t>(0x20 + b % 0x60);
                    break;
                case 2:
                    c = static_cast<wchar_t>(0x400 + (b & 0x3F));
                    break;
                default:
                    c = static_cast<wchar_t>((b << 16 | Byte() << 8 | Byte()) % 0x110000);
                    break;
            }
        }
        return out;
    }
    std::vector<BYTE> Data() {
        std::vector<BYTE> out(Byte());
        for (auto& b : out) {
            b = Byte();
        }
        return out;
    }

private:
    const std::uint8_t* m_data;
    std::size_t m_size;
    std::size_t m_pos = 0;
};

HiveKey BuildTree(const std::uint8_t* data, std::size_t size) {
    HiveKey root(kHive);
    std::vector<HiveKey*> path{&root};
    Recipe r(data, size);
    while (r.More()) {
        switch (r.Byte() % 4) {
            case 0:
                if (const std::wstring name = r.Name(); IsValidKeyName(name) && path.size() < 16) {
                    path.push_back(&path.back()->CreateSubkey(name));
                }
                break;
            case 1: {
                const std::wstring name = r.Name();
                const DWORD type = r.Byte() % 13;
                if (IsValidValueName(name)) {
                    path.back()->SetValue(name, type, r.Data());
                }
                break;
            }
            case 2: {
                // A text value: REG_SZ of a name's characters and a NUL.
                const std::wstring name = r.Name();
                std::wstring text = r.Name();
                std::vector<BYTE> bytes((text.size() + 1) * sizeof(wchar_t), 0);
                std::copy_n(reinterpret_cast<const BYTE*>(text.data()),
                            text.size() * sizeof(wchar_t), bytes.begin());
                if (IsValidValueName(name)) {
                    path.back()->SetValue(name, 1, std::move(bytes));
                }
                break;
            }
            default:
                if (path.size() > 1) {
                    path.pop_back();
                }
                break;
        }
    }
    return root;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    CheckRoundTrip(ParseHive(input, kHive).root);
    CheckRoundTrip(BuildTree(data, size));
    return 0;
}
