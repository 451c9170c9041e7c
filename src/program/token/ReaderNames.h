// The names of all readers, as the token middleware lists them; the name used everywhere else.
#pragma once

#include <string>
#include <vector>

namespace SVKCERT {

// An unfilled list (the middleware failed) means no readers.
std::vector<std::wstring> EnumReaderNames();

}  // namespace SVKCERT
