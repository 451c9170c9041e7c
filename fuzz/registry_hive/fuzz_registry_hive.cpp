// Arbitrary bytes as a hive file: the parser must not crash, and whatever it
// reads must come back unchanged after writing and reading it again, without
// any line of the written form counted as damaged.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "platform/registry/HiveText.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    const HiveParseResult first = ParseHive(input, L"HKEY_CURRENT_USER");
    const std::string written = SerializeHive(first.root, L"HKEY_CURRENT_USER");
    const HiveParseResult second = ParseHive(written, L"HKEY_CURRENT_USER");
    if (second.damaged || !(second.root == first.root)) {
        std::abort();
    }
    if (SerializeHive(second.root, L"HKEY_CURRENT_USER") != written) {
        std::abort();
    }
    return 0;
}
