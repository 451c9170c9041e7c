#include "platform/registry/HiveText.h"

#include <cstdio>
#include <cstring>
#include <optional>

#include "platform/errors/WinError.h"
#include "platform/text/CaseFold.h"
#include "platform/text/Hex.h"
#include "platform/text/Utf.h"

namespace {

constexpr DWORD kRegSz = 1;
constexpr DWORD kRegBinary = 3;
constexpr DWORD kRegDword = 4;
constexpr std::size_t kHexLineWidth = 76;

std::string_view Trim(std::string_view s) {
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) {
        s.remove_prefix(1);
    }
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t' || s.back() == '\r')) {
        s.remove_suffix(1);
    }
    return s;
}

int HexDigit(char c) {
    if (c >= '0' && c <= '9') {
        return c - '0';
    }
    if (c >= 'a' && c <= 'f') {
        return c - 'a' + 10;
    }
    if (c >= 'A' && c <= 'F') {
        return c - 'A' + 10;
    }
    return -1;
}

// 1 to 8 hex digits.
std::optional<DWORD> ParseHex32(std::string_view s) {
    if (s.empty() || s.size() > 8) {
        return std::nullopt;
    }
    DWORD v = 0;
    for (char c : s) {
        const int d = HexDigit(c);
        if (d < 0) {
            return std::nullopt;
        }
        v = (v << 4) | static_cast<DWORD>(d);
    }
    return v;
}

// "aa,bb,..." with one or two digits a byte; an empty list is no bytes.
std::optional<std::vector<BYTE>> ParseHexBytes(std::string_view s) {
    std::vector<BYTE> out;
    s = Trim(s);
    if (s.empty()) {
        return out;
    }
    while (true) {
        const std::size_t comma = s.find(',');
        const std::string_view item = Trim(s.substr(0, comma));
        if (item.empty() || item.size() > 2) {
            return std::nullopt;
        }
        const auto v = ParseHex32(item);
        if (!v) {
            return std::nullopt;
        }
        out.push_back(static_cast<BYTE>(*v));
        if (comma == std::string_view::npos) {
            return out;
        }
        s.remove_prefix(comma + 1);
    }
}

// A quoted text starting at s[0] == '"'; on success s is left after the quote.
std::optional<std::wstring> ParseQuoted(std::string_view& s) {
    std::string raw;
    std::size_t i = 1;
    for (; i < s.size(); ++i) {
        const char c = s[i];
        if (c == '"') {
            break;
        }
        if (c == '\\') {
            if (i + 1 >= s.size() || (s[i + 1] != '\\' && s[i + 1] != '"')) {
                return std::nullopt;
            }
            raw.push_back(s[++i]);
            continue;
        }
        raw.push_back(c);
    }
    if (i >= s.size()) {
        return std::nullopt;
    }
    s.remove_prefix(i + 1);
    return Utf8ToWide(raw);
}

std::vector<BYTE> WideToRegSz(const std::wstring& text) {
    std::vector<BYTE> out((text.size() + 1) * sizeof(wchar_t), 0);
    std::memcpy(out.data(), text.data(), text.size() * sizeof(wchar_t));
    return out;
}

// The text of a REG_SZ when a quoted text gives back exactly its bytes.
std::optional<std::wstring> RegSzText(const std::vector<BYTE>& data) {
    if (data.size() < sizeof(wchar_t) || data.size() % sizeof(wchar_t) != 0) {
        return std::nullopt;
    }
    std::wstring text(data.size() / sizeof(wchar_t), L'\0');
    std::memcpy(text.data(), data.data(), data.size());
    if (text.back() != L'\0') {
        return std::nullopt;
    }
    text.pop_back();
    for (wchar_t c : text) {
        if (!IsValidNameChar(c)) {
            return std::nullopt;
        }
    }
    return text;
}

// What follows "name"= on a value line; empty when the line is no value line.
std::string_view DataPart(std::string_view line) {
    std::size_t i = 0;
    if (line.starts_with('@')) {
        i = 1;
    } else if (line.starts_with('"')) {
        for (i = 1; i < line.size() && line[i] != '"'; ++i) {
            if (line[i] == '\\') {
                ++i;
            }
        }
        if (i >= line.size()) {
            return {};
        }
        ++i;
    } else {
        return {};
    }
    line = Trim(line.substr(i));
    if (!line.starts_with('=')) {
        return {};
    }
    return Trim(line.substr(1));
}

struct LineParser {
    std::wstring_view hiveName;
    HiveParseResult& result;
    HiveKey* section = nullptr;

    void Bad() {
        result.damaged = true;
        ++result.badLines;
    }

    void Section(std::string_view line) {
        section = nullptr;
        const std::wstring inner = Utf8ToWide(line.substr(1, line.size() - 2));
        const std::size_t slash = inner.find(L'\\');
        const std::wstring_view first = std::wstring_view(inner).substr(0, slash);
        if (!EqualsNoCase(first, hiveName)) {
            return Bad();
        }
        std::vector<std::wstring> names;
        if (slash != std::wstring::npos) {
            const std::wstring_view rest = std::wstring_view(inner).substr(slash + 1);
            if (rest.empty() || rest.back() == L'\\' ||
                SplitKeyPath(rest, names) != ERROR_SUCCESS) {
                return Bad();
            }
        }
        HiveKey* key = &result.root;
        for (const auto& name : names) {
            key = &key->CreateSubkey(name);
        }
        section = key;
    }

    std::optional<HiveValue> Data(std::string_view s) {
        HiveValue v;
        if (!s.empty() && s.front() == '"') {
            auto text = ParseQuoted(s);
            if (!text || !Trim(s).empty()) {
                return std::nullopt;
            }
            v.type = kRegSz;
            v.data = WideToRegSz(*text);
            return v;
        }
        if (s.starts_with("dword:")) {
            const auto d = ParseHex32(Trim(s.substr(6)));
            if (!d) {
                return std::nullopt;
            }
            v.type = kRegDword;
            v.data.resize(4);
            for (int i = 0; i < 4; ++i) {
                v.data[i] = static_cast<BYTE>(*d >> (8 * i));
            }
            return v;
        }
        if (s.starts_with("hex:")) {
            v.type = kRegBinary;
            s.remove_prefix(4);
        } else if (s.starts_with("hex(")) {
            const std::size_t close = s.find("):");
            if (close == std::string_view::npos) {
                return std::nullopt;
            }
            const auto t = ParseHex32(s.substr(4, close - 4));
            if (!t) {
                return std::nullopt;
            }
            v.type = *t;
            s.remove_prefix(close + 2);
        } else {
            return std::nullopt;
        }
        auto bytes = ParseHexBytes(s);
        if (!bytes) {
            return std::nullopt;
        }
        v.data = std::move(*bytes);
        return v;
    }

    void Value(std::string_view line) {
        if (!section) {
            return Bad();
        }
        std::wstring name;
        if (line.front() == '@') {
            line.remove_prefix(1);
        } else {
            auto quoted = ParseQuoted(line);
            if (!quoted || !IsValidValueName(*quoted)) {
                return Bad();
            }
            name = std::move(*quoted);
        }
        line = Trim(line);
        if (line.empty() || line.front() != '=') {
            return Bad();
        }
        auto value = Data(Trim(line.substr(1)));
        if (!value) {
            return Bad();
        }
        section->SetValue(name, value->type, std::move(value->data));
    }
};

void AppendQuoted(std::string& out, const std::wstring& text) {
    out.push_back('"');
    for (char c : WideToUtf8(text)) {
        if (c == '\\' || c == '"') {
            out.push_back('\\');
        }
        out.push_back(c);
    }
    out.push_back('"');
}

void AppendHex(std::string& out, const std::vector<BYTE>& data, std::size_t column) {
    for (std::size_t i = 0; i < data.size(); ++i) {
        if (i > 0) {
            out.push_back(',');
            ++column;
            if (column + 3 > kHexLineWidth) {
                out += "\\\n  ";
                column = 2;
            }
        }
        AppendHex(out, data[i], HexCase::Lower);
        column += 2;
    }
}

void AppendValue(std::string& out, const HiveValue& v) {
    const std::size_t lineStart = out.size();
    if (v.name.empty()) {
        out.push_back('@');
    } else {
        AppendQuoted(out, v.name);
    }
    out.push_back('=');
    if (v.type == kRegSz) {
        if (auto text = RegSzText(v.data)) {
            AppendQuoted(out, *text);
            out.push_back('\n');
            return;
        }
    }
    if (v.type == kRegDword && v.data.size() == 4) {
        const DWORD d = static_cast<DWORD>(v.data[0]) | (static_cast<DWORD>(v.data[1]) << 8) |
                        (static_cast<DWORD>(v.data[2]) << 16) |
                        (static_cast<DWORD>(v.data[3]) << 24);
        char buf[16];
        std::snprintf(buf, sizeof buf, "dword:%08x\n", d);
        out += buf;
        return;
    }
    if (v.type == kRegBinary) {
        out += "hex:";
    } else {
        char buf[24];
        std::snprintf(buf, sizeof buf, "hex(%x):", v.type);
        out += buf;
    }
    AppendHex(out, v.data, out.size() - lineStart);
    out.push_back('\n');
}

void AppendKey(std::string& out, const HiveKey& key, const std::wstring& path, bool isRoot) {
    if (!isRoot || !key.Values().empty()) {
        out += "[" + WideToUtf8(path) + "]\n";
        for (const auto& v : key.Values()) {
            AppendValue(out, v);
        }
        out.push_back('\n');
    }
    for (const auto& sub : key.Subkeys()) {
        AppendKey(out, sub, path + L"\\" + sub.Name(), false);
    }
}

}  // namespace

HiveParseResult ParseHive(std::string_view text, std::wstring_view hiveName) {
    HiveParseResult result;
    result.root = HiveKey(std::wstring(hiveName));
    if (text.starts_with("\xEF\xBB\xBF")) {
        text.remove_prefix(3);
    }
    LineParser parser{hiveName, result};
    bool first = true;
    while (!text.empty()) {
        std::size_t end = text.find('\n');
        std::string_view raw = text.substr(0, end);
        text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
        std::string joined;
        std::string_view line = Trim(raw);
        // A hex list goes on over the lines that follow a trailing backslash.
        if (line.ends_with('\\') && DataPart(line).starts_with("hex")) {
            joined = line;
            while (!joined.empty() && joined.back() == '\\' && !text.empty()) {
                joined.pop_back();
                end = text.find('\n');
                joined += Trim(text.substr(0, end));
                text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
            }
            line = joined;
        }
        if (first) {
            first = false;
            if (line == kHiveHeader) {
                continue;
            }
            result.damaged = true;
        }
        if (line.empty() || line.front() == ';') {
            continue;
        }
        if (!IsValidUtf8(line)) {
            parser.Bad();
            if (line.front() == '[') {
                parser.section = nullptr;
            }
            continue;
        }
        if (line.front() == '[') {
            if (line.size() >= 2 && line.back() == ']') {
                parser.Section(line);
            } else {
                // Values after a broken section line belong to no known key.
                parser.Bad();
                parser.section = nullptr;
            }
        } else if (line.front() == '"' || line.front() == '@') {
            parser.Value(line);
        } else {
            parser.Bad();
        }
    }
    return result;
}

std::string SerializeHive(const HiveKey& root, std::wstring_view hiveName) {
    std::string out(kHiveHeader);
    out += "\n\n";
    AppendKey(out, root, std::wstring(hiveName), true);
    return out;
}
