// A new random (version 4) UUID as text: 36 characters, lower-case
// hexadecimal in groups of 8, 4, 4, 4 and 12 joined by hyphens. Names the
// key sets that unpacked PFX keys are kept in.
#pragma once

#include <string>

namespace vk::pkcs12 {

std::wstring NewUuidText();

}  // namespace vk::pkcs12
